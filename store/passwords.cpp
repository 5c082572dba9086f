#include "store/passwords.h"

#include <sodium.h>
#include <stdexcept>

namespace {
void ensureSodium() {
    static const bool ready = sodium_init() >= 0;
    if (!ready) throw std::runtime_error("libsodium could not be initialised");
}

QByteArray folded(const QString &password) {
    return password.toCaseFolded().toUtf8();
}
} // namespace

namespace passwords {

QString hash(const QString &password) {
    ensureSodium();
    const QByteArray plain = folded(password);
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, plain.constData(), static_cast<unsigned long long>(plain.size()),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        throw std::runtime_error("out of memory while hashing a password");
    return QString::fromLatin1(out);
}

bool verify(const QString &storedHash, const QString &password) {
    ensureSodium();
    const QByteArray stored = storedHash.toLatin1();
    if (stored.isEmpty() || stored.size() >= crypto_pwhash_STRBYTES) return false;
    const QByteArray plain = folded(password);
    return crypto_pwhash_str_verify(stored.constData(), plain.constData(),
                                    static_cast<unsigned long long>(plain.size())) == 0;
}

} // namespace passwords
