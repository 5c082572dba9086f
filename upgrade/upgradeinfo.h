#pragma once
// The upgrade information file of the maker's server: its keys, the download list it names, and the
// tests that decide whether it offers a newer version.
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

enum class UpgradeMethod {
    SelfUpgrade = 0,   // replace the program's files
    ExternalSetup = 1, // run a downloaded setup program
    RedirectToUrl = 2, // open the first address in the browser, download nothing
};

struct UpgradeInfo {
    QStringList urls;    // in download order
    QStringList hashes;  // the SHA-256 (hex) given beside each address, empty where none was given
    QList<qint64> sizes; // the size in bytes given beside each address, -1 where none was given
    qint64 serial = -1;  // "#serial=": the maker numbers the information files he signs; -1 when none
    // "#deb=", "#debsha256=", "#debsize=": the new version as a Debian package, for a program the system's
    // package manager installed. Empty hash and -1 size where none was given.
    QString packageUrl;
    QString packageHash;
    qint64 packageSize = -1;
    QString date;
    QString version;
    QString message;
    UpgradeMethod method = UpgradeMethod::SelfUpgrade;
};

// The value of "#name=": found in any letter case, the first one wins, kept in its own case, up to the
// end of the line. Empty when missing.
QString upgradeInfoValue(const QString &text, const QString &name);
// "#message={...}": up to the closing brace, or to the end of the file when it has none.
QString upgradeInfoMessage(const QString &text);
UpgradeInfo readUpgradeInfo(const QString &text);
UpgradeMethod upgradeMethodOf(const QString &value);
// The suffix of the keys of the address at `position` in the list as the maker writes them: "" for the
// first ("#url=", "#sha256=", "#size="), "0" for the second, then the position plus one ("3", "4", …).
QString upgradeInfoSuffix(int position);

// A "month/day/year" date; today when the text does not read as one. The year is used as written.
QDate upgradeDate(const QString &text, const QDate &today);
bool readsAsUpgradeDate(const QString &text);
bool isNewerByDate(const QString &installed, const QString &offered, const QDate &today);
// Up to four dot-separated numbers compared part by part; texts when a part is not a number.
bool isNewerByNumber(const QString &installed, const QString &offered);

// The last part of an address (after its last "/", "\" or ":"): the name its file is saved under.
QString downloadName(const QString &address);
