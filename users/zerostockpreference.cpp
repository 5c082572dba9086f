#include "users/zerostockpreference.h"

#include "store/settingsstore.h"

std::optional<bool> zeroStockHiddenPreference(const SettingsStore &settings) {
    const QString value = settings.read(QStringLiteral("n0"));
    if (value == u"no") return true;
    if (value == u"yes") return false;
    return std::nullopt;
}
