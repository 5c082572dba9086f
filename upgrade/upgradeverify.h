#pragma once
// Nothing downloaded is installed unchecked: the information file must carry the maker's Ed25519
// signature, and every file must match the SHA-256 the signed information file gives for it.
#include <QByteArray>
#include <QString>

namespace upgradeverify {
constexpr int PublicKeySize = 32;
constexpr int SignatureSize = 64;
constexpr int SecretKeySize = 64;

// The maker's public key, built into the program (the secret key stays with the maker).
QByteArray makerPublicKey();
// A detached signature of `message`, as the maker's signing tool writes it (the raw 64 bytes).
bool signatureValid(const QByteArray &message, const QByteArray &signature, const QByteArray &publicKey);
QByteArray sign(const QByteArray &message, const QByteArray &secretKey);
// The SHA-256 of a file in lower-case hex; empty when it cannot be read.
QString fileSha256(const QString &path);
} // namespace upgradeverify
