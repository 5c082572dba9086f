#pragma once
// Passwords are kept only as salted argon2id hashes of their case-folded text: the login matches
// regardless of letter case, and the database file never holds a password.
#include <QString>

namespace passwords {
QString hash(const QString &password);
bool verify(const QString &storedHash, const QString &password);
} // namespace passwords
