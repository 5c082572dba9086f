#include "store/settingsstore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <memory>

namespace {
std::unique_ptr<SettingsStore> &instanceSlot() {
    static std::unique_ptr<SettingsStore> store;
    return store;
}
} // namespace

SettingsStore &SettingsStore::instance() {
    auto &slot = instanceSlot();
    if (!slot) slot = std::make_unique<SettingsStore>(defaultPath());
    return *slot;
}

void SettingsStore::setInstancePath(const QString &iniPath) {
    instanceSlot() = std::make_unique<SettingsStore>(iniPath);
}

QString SettingsStore::defaultPath() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config + QStringLiteral("/tuomei/vov.ini");
}

SettingsStore::SettingsStore(QString iniPath) : m_path(std::move(iniPath)) {}

bool SettingsStore::exists() const {
    return QFileInfo::exists(m_path);
}

QString SettingsStore::read(const QString &name) const {
    if (!exists()) return {};
    const QSettings settings(m_path, QSettings::IniFormat);
    return settings.value(name).toString();
}

bool SettingsStore::write(const QString &name, const QString &value, QString *error) {
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath())) {
        if (error) *error = QStringLiteral("无法创建设置目录：") + info.absolutePath();
        return false;
    }
    QSettings settings(m_path, QSettings::IniFormat);
    settings.setValue(name, value);
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        if (error) *error = QStringLiteral("无法写入设置文件：") + m_path;
        return false;
    }
    return true;
}

std::optional<qlonglong> SettingsStore::readWholeNumber(const QString &name) const {
    bool ok = false;
    const qlonglong value = read(name).trimmed().toLongLong(&ok);
    if (!ok) return std::nullopt;
    return value;
}

QString SettingsStore::layoutPath() const {
    return QFileInfo(m_path).absolutePath() + QStringLiteral("/jsjxc.ini");
}
