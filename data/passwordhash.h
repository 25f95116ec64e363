#ifndef PASSWORDHASH_H
#define PASSWORDHASH_H

#include <QByteArray>
#include <QString>

// Stored forms of operator passwords.
//
// New form: "pbkdf2-sha256$<iterations>$<salt base64>$<key base64>", PBKDF2-HMAC-SHA256
// over the UTF-8 bytes with a random 16-byte salt per password.
// Old form: each Latin-1 byte XOR 0x5E, kept readable so that existing accounts
// still log in; they are rewritten in the new form at their next login. An
// empty stored form never matches.
namespace PasswordHash {
constexpr int kIterations = 120000;
QString hash(const QString &password, int iterations = kIterations);
QString legacyForm(const QString &password);
bool verify(const QString &typed, const QString &stored);
bool isLegacy(const QString &stored);
// Whether the old form can hold the typed text exactly (Latin-1 only); for any
// other text a match against the old form would prove nothing.
bool legacyCanHold(const QString &typed);
QByteArray pbkdf2Sha256(const QByteArray &password, const QByteArray &salt, int iterations, int keyLength);
}

#endif
