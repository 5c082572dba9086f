#include "upgrade/upgradeinfo.h"

namespace {
// Lower case for the letters A to Z only, so that every position stays where it was.
QString asciiLower(const QString &text) {
    QString lower = text;
    for (QChar &c : lower)
        if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + 32);
    return lower;
}

// A whole number of zero or more; -1 for anything else.
qint64 countOf(const QString &value) {
    bool ok = false;
    const qint64 number = value.trimmed().toLongLong(&ok);
    return ok && number >= 0 ? number : -1;
}

// Where the value of a key starts, or -1.
qsizetype valueStart(const QString &text, const QString &key) {
    const qsizetype at = asciiLower(text).indexOf(key);
    return at < 0 ? -1 : at + key.size();
}
} // namespace

QString upgradeInfoValue(const QString &text, const QString &name) {
    const qsizetype start = valueStart(text, u'#' + asciiLower(name) + u'=');
    if (start < 0) return {};
    qsizetype end = start;
    while (end < text.size() && text[end].unicode() >= 32)
        ++end;
    return text.mid(start, end - start);
}

QString upgradeInfoMessage(const QString &text) {
    const qsizetype start = valueStart(text, QStringLiteral("#message={"));
    if (start < 0) return {};
    const qsizetype end = text.indexOf(u'}', start);
    return text.mid(start, end < 0 ? -1 : end - start);
}

UpgradeMethod upgradeMethodOf(const QString &value) {
    if (value.startsWith(u'1')) return UpgradeMethod::ExternalSetup;
    if (value.startsWith(u'2')) return UpgradeMethod::RedirectToUrl;
    return UpgradeMethod::SelfUpgrade;
}

UpgradeInfo readUpgradeInfo(const QString &text) {
    UpgradeInfo info;
    const auto take = [&](const QString &suffix) {
        const QString url = upgradeInfoValue(text, QStringLiteral("url") + suffix);
        if (url.isEmpty()) return false;
        info.urls << url;
        info.hashes << upgradeInfoValue(text, QStringLiteral("sha256") + suffix).trimmed().toLower();
        info.sizes << countOf(upgradeInfoValue(text, QStringLiteral("size") + suffix));
        return true;
    };
    take(QString());
    take(QStringLiteral("0"));
    // Numbered keys go on from the position the next address takes in the list.
    while (take(QString::number(info.urls.size() + 1))) {
    }
    info.packageUrl = upgradeInfoValue(text, QStringLiteral("deb"));
    info.packageHash = upgradeInfoValue(text, QStringLiteral("debsha256")).trimmed().toLower();
    info.packageSize = countOf(upgradeInfoValue(text, QStringLiteral("debsize")));
    const QString serial = upgradeInfoValue(text, QStringLiteral("serial"));
    info.serial = serial.isEmpty() ? -1 : countOf(serial);
    info.date = upgradeInfoValue(text, QStringLiteral("date"));
    info.version = upgradeInfoValue(text, QStringLiteral("version"));
    info.message = upgradeInfoMessage(text);
    info.method = upgradeMethodOf(upgradeInfoValue(text, QStringLiteral("method")));
    return info;
}

QString upgradeInfoSuffix(int position) {
    if (position == 0) return {};
    return QString::number(position == 1 ? 0 : position + 1);
}

bool readsAsUpgradeDate(const QString &text) {
    return upgradeDate(text, QDate()).isValid();
}

QDate upgradeDate(const QString &text, const QDate &today) {
    const qsizetype first = text.indexOf(u'/');
    const qsizetype second = first < 0 ? -1 : text.indexOf(u'/', first + 1);
    if (second < 0) return today;
    bool monthOk = false, dayOk = false, yearOk = false;
    const int month = text.left(first).trimmed().toInt(&monthOk);
    const int day = text.mid(first + 1, second - first - 1).trimmed().toInt(&dayOk);
    const int year = text.mid(second + 1).trimmed().toInt(&yearOk);
    const QDate date(year, month, day);
    return monthOk && dayOk && yearOk && date.isValid() ? date : today;
}

bool isNewerByDate(const QString &installed, const QString &offered, const QDate &today) {
    return upgradeDate(installed, today) < upgradeDate(offered, today);
}

bool isNewerByNumber(const QString &installed, const QString &offered) {
    const auto parts = [](const QString &version) {
        QStringList list = version.split(u'.');
        while (list.size() < 4)
            list << QStringLiteral("0");
        return list;
    };
    const QStringList mine = parts(installed), theirs = parts(offered);
    for (int i = 0; i < 4; ++i) {
        bool mineOk = false, theirsOk = false;
        mine[i].toLongLong(&mineOk);
        theirs[i].toLongLong(&theirsOk);
        if (!mineOk || !theirsOk) return offered > installed;
    }
    for (int i = 0; i < 4; ++i) {
        const qint64 a = mine[i].toLongLong(), b = theirs[i].toLongLong();
        if (a != b) return b > a;
    }
    return false;
}

QString downloadName(const QString &address) {
    qsizetype at = -1;
    for (const QChar separator : {u'/', u'\\', u':'})
        at = std::max(at, address.lastIndexOf(separator));
    return address.mid(at + 1);
}
