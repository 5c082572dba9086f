// The maker's signing tool for the upgrade server: makes the key pair, writes the lines of the
// information file for the files of an upgrade, and signs the information file (jsjxc.inf ->
// jsjxc.inf.sig) once it holds everything the program asks for.
//   jsjxc_signupgrade keygen <secret key file> <public key file>
//   jsjxc_signupgrade lines <address of the download folder> <file>...
//   jsjxc_signupgrade sign <secret key file> <jsjxc.inf>
//   jsjxc_signupgrade hash <file>...
// The secret key never goes into the repository or onto the server.
#include "upgrade/upgradeinfomaker.h"
#include "upgrade/upgradeverify.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdio>
#include <sodium.h>

namespace {
int fail(const QString &text) {
    std::fprintf(stderr, "%s\n", qPrintable(text));
    return 1;
}

bool writeFile(const QString &path, const QByteArray &content, QFile::Permissions permissions) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(content);
    return file.commit() && QFile::setPermissions(path, permissions);
}

QByteArray readFile(const QString &path, bool *ok) {
    QFile file(path);
    *ok = file.open(QIODevice::ReadOnly);
    return *ok ? file.readAll() : QByteArray();
}

int keygen(const QString &secretPath, const QString &publicPath) {
    if (sodium_init() < 0) return fail(QStringLiteral("libsodium did not start"));
    if (QFileInfo::exists(secretPath)) return fail(QStringLiteral("refusing to overwrite ") + secretPath);
    QByteArray publicKey(crypto_sign_PUBLICKEYBYTES, '\0'), secretKey(crypto_sign_SECRETKEYBYTES, '\0');
    crypto_sign_keypair(reinterpret_cast<unsigned char *>(publicKey.data()),
                        reinterpret_cast<unsigned char *>(secretKey.data()));
    if (!writeFile(secretPath, secretKey, QFile::ReadOwner | QFile::WriteOwner))
        return fail(QStringLiteral("cannot write ") + secretPath);
    if (!writeFile(publicPath, publicKey,
                   QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther))
        return fail(QStringLiteral("cannot write ") + publicPath);
    std::printf("public key (for upgrade/upgradeverify.cpp): %s\n", publicKey.toHex().constData());
    return 0;
}

// A serial number that only grows: the seconds since 1970 (UTC) when the lines were written. The program
// refuses an information file whose serial is lower than one it already accepted. A Debian package
// (".deb") gets the "#deb…=" lines that a program installed from a package downloads instead.
int lines(const QString &folderAddress, const QStringList &paths) {
    QList<upgrademaker::ListedFile> files;
    QString package;
    for (const QString &path : paths) {
        const QString hash = upgradeverify::fileSha256(path);
        if (hash.isEmpty()) return fail(QStringLiteral("cannot read ") + path);
        QString address = folderAddress;
        if (!address.endsWith(u'/')) address += u'/';
        const upgrademaker::ListedFile file{address + QFileInfo(path).fileName(), hash,
                                            QFileInfo(path).size()};
        if (!path.endsWith(QStringLiteral(".deb"))) {
            files.append(file);
            continue;
        }
        if (!package.isEmpty()) return fail(QStringLiteral("only one .deb per information file: ") + path);
        package = upgrademaker::packageLines(file);
    }
    std::printf("#serial=%lld\r\n%s%s", static_cast<long long>(QDateTime::currentSecsSinceEpoch()),
                upgrademaker::fileLines(files).toUtf8().constData(), package.toUtf8().constData());
    return 0;
}

int signInfo(const QString &secretPath, const QString &infoPath) {
    bool ok = false;
    const QByteArray secretKey = readFile(secretPath, &ok);
    if (!ok || secretKey.size() != upgradeverify::SecretKeySize)
        return fail(QStringLiteral("bad secret key ") + secretPath);
    const QByteArray info = readFile(infoPath, &ok);
    if (!ok) return fail(QStringLiteral("cannot read ") + infoPath);
    // What the program would refuse is not signed: a signed information file stays valid for ever.
    const QStringList problems = upgrademaker::problems(QString::fromUtf8(info));
    if (!problems.isEmpty())
        return fail(infoPath + QStringLiteral(" not signed:\n  ") + problems.join(QStringLiteral("\n  ")));
    const QByteArray signature = upgradeverify::sign(info, secretKey);
    if (signature.isEmpty()) return fail(QStringLiteral("signing failed"));
    const QString signaturePath = infoPath + QStringLiteral(".sig");
    if (!writeFile(signaturePath, signature,
                   QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther))
        return fail(QStringLiteral("cannot write ") + signaturePath);
    std::printf("%s\n", qPrintable(signaturePath));
    return 0;
}
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    const QString command = arguments.value(0);
    if (command == QLatin1String("keygen") && arguments.size() == 3)
        return keygen(arguments[1], arguments[2]);
    if (command == QLatin1String("lines") && arguments.size() >= 3)
        return lines(arguments[1], arguments.mid(2));
    if (command == QLatin1String("sign") && arguments.size() == 3)
        return signInfo(arguments[1], arguments[2]);
    if (command == QLatin1String("hash") && arguments.size() >= 2) {
        for (const QString &path : arguments.mid(1)) {
            const QString hash = upgradeverify::fileSha256(path);
            if (hash.isEmpty()) return fail(QStringLiteral("cannot read ") + path);
            std::printf("%s  %s\n", qPrintable(hash), qPrintable(path));
        }
        return 0;
    }
    return fail(
        QStringLiteral("usage: jsjxc_signupgrade keygen <secret> <public> | lines <address> <file>... | "
                       "sign <secret> <jsjxc.inf> | hash <file>..."));
}
