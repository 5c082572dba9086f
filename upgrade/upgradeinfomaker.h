#pragma once
// The maker's side of the information file, for the signing tool: the lines of the files it lists,
// and what the program would refuse in one, found before it is signed and published.
#include <QList>
#include <QString>
#include <QStringList>

namespace upgrademaker {
struct ListedFile {
    QString address;
    QString sha256; // lower-case hex
    qint64 size = 0;
};

// "#url…=", "#sha256…=" and "#size…=" of each file, in order, with the suffixes the program reads.
QString fileLines(const QList<ListedFile> &files);
// "#deb=", "#debsha256=" and "#debsize=" of the new version's Debian package.
QString packageLines(const ListedFile &package);
// What the program would refuse: no serial number, no date, a listed file (or the Debian package) without
// its hash or size.
// Empty when there is nothing.
QStringList problems(const QString &infoText);
} // namespace upgrademaker
