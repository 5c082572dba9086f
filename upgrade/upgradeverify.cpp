#include "upgrade/upgradeverify.h"

#include <QCryptographicHash>
#include <QFile>
#include <sodium.h>

namespace upgradeverify {
QByteArray makerPublicKey() {
    // Made with tools/jsjxc_signupgrade keygen; the matching secret key is kept by the maker.
    return QByteArray::fromHex("c4890a12eb0b0662097ab8239cbe3ac03ad95dd9a50af29f491193b1eed77bdb");
}

bool signatureValid(const QByteArray &message, const QByteArray &signature, const QByteArray &publicKey) {
    if (sodium_init() < 0 || signature.size() != SignatureSize || publicKey.size() != PublicKeySize)
        return false;
    return crypto_sign_verify_detached(reinterpret_cast<const unsigned char *>(signature.constData()),
                                       reinterpret_cast<const unsigned char *>(message.constData()),
                                       static_cast<unsigned long long>(message.size()),
                                       reinterpret_cast<const unsigned char *>(publicKey.constData())) == 0;
}

QByteArray sign(const QByteArray &message, const QByteArray &secretKey) {
    if (sodium_init() < 0 || secretKey.size() != SecretKeySize) return {};
    QByteArray signature(SignatureSize, '\0');
    crypto_sign_detached(reinterpret_cast<unsigned char *>(signature.data()), nullptr,
                         reinterpret_cast<const unsigned char *>(message.constData()),
                         static_cast<unsigned long long>(message.size()),
                         reinterpret_cast<const unsigned char *>(secretKey.constData()));
    return signature;
}

QString fileSha256(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file)) return {};
    return QString::fromLatin1(hash.result().toHex());
}
} // namespace upgradeverify
