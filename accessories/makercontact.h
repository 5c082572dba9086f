#pragma once
// How the maker is reached: the support mailbox at the maker's own domain and the maker's name, shown
// in the about box beside the web address.
#include "store/maker.h"

#include <QString>
#include <QUrl>

namespace makercontact {
inline QString name() {
    return QStringLiteral("云杉软件");
}
// "support@" the domain of the web address, without its "www.".
inline QString supportEmail() {
    QString domain = QUrl(maker::webAddress()).host();
    if (domain.startsWith(QStringLiteral("www."))) domain.remove(0, 4);
    return QStringLiteral("support@") + domain;
}
} // namespace makercontact
