#include "printing/printtexts.h"

#include "store/maker.h"
#include "store/settingsstore.h"

namespace {
// The maker's customer service, printed on the slips of a fresh installation.
constexpr auto ServicePhone = "0596-2688135";
constexpr auto ServiceQq = "2851706632";
} // namespace

PrintTexts PrintTexts::defaults() {
    const QString site = QStringLiteral("官网：") + maker::webAddress();
    return {
        QStringLiteral("POS小票销售单"),
        QStringLiteral("嘉穗进销存软件提供技术支持"),
        site,
        QStringLiteral("欢迎下次惠顾！"),
        QStringLiteral("云杉软件销售单"),
        QStringLiteral("客服电话：") + QLatin1String(ServicePhone) + QStringLiteral(" 客服QQ:") +
            QLatin1String(ServiceQq),
        QStringLiteral("嘉穗进销存一次购买，终身免费升级，终身免费技术支持！"),
        site,
        QStringLiteral("云杉软件"),
    };
}

QString &PrintTexts::operator[](std::size_t index) {
    QString *members[] = {&receiptTitle, &receiptSlogan1, &receiptSlogan2, &receiptClosing, &slipTitle,
                          &slipContact,  &slipSlogan1,    &slipSlogan2,    &company};
    return *members[index];
}

const QString &PrintTexts::operator[](std::size_t index) const {
    return const_cast<PrintTexts &>(*this)[index];
}

namespace printtexts {

PrintTexts load(const SettingsStore &store, const PrintTexts &current) {
    if (!store.exists() || store.read(QString::fromLatin1(PrintTexts::Names[0])).isEmpty()) return current;
    PrintTexts texts;
    for (std::size_t i = 0; i < PrintTexts::Names.size(); ++i)
        texts[i] = store.read(QString::fromLatin1(PrintTexts::Names[i]));
    return texts;
}

bool save(SettingsStore &store, const PrintTexts &texts, QString *error) {
    for (std::size_t i = 0; i < PrintTexts::Names.size(); ++i)
        if (!store.write(QString::fromLatin1(PrintTexts::Names[i]), texts[i], error)) return false;
    return true;
}

} // namespace printtexts
