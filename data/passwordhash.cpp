#include "passwordhash.h"

#include <QCryptographicHash>
#include <cstring>
#include <QRandomGenerator>
#include <QStringList>
#include <QtEndian>

namespace {
// SHA-256 whose state can be copied, for the precomputed HMAC keys above.
struct Sha256
{
    quint32 h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    uchar buf[64];
    int used = 0;
    quint64 total = 0;

    static quint32 rotr(quint32 x, int n) { return (x >> n) | (x << (32 - n)); }
    void block(const uchar *p)
    {
        static const quint32 k[64] = {
            0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
            0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
            0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
            0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
            0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
            0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
            0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
            0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};
        quint32 w[64];
        for (int i = 0; i < 16; ++i)
            w[i] = qFromBigEndian<quint32>(p + 4 * i);
        for (int i = 16; i < 64; ++i) {
            const quint32 s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
            const quint32 s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        quint32 a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
        for (int i = 0; i < 64; ++i) {
            const quint32 t1 = hh + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + k[i] + w[i];
            const quint32 t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
            hh = g; g = f; f = e; e = d + t1; d = c; c = b; b = a; a = t1 + t2;
        }
        h[0] += a; h[1] += b; h[2] += c; h[3] += d; h[4] += e; h[5] += f; h[6] += g; h[7] += hh;
    }
    void update(const uchar *data, int len)
    {
        total += static_cast<quint64>(len);
        while (len > 0) {
            const int n = qMin(64 - used, len);
            memcpy(buf + used, data, static_cast<size_t>(n));
            used += n;
            data += n;
            len -= n;
            if (used == 64) {
                block(buf);
                used = 0;
            }
        }
    }
    void final(uchar out[32])
    {
        const quint64 bits = total * 8;
        const uchar pad = 0x80;
        update(&pad, 1);
        const uchar zero = 0;
        while (used != 56)
            update(&zero, 1);
        uchar len[8];
        qToBigEndian(bits, len);
        update(len, 8);
        for (int i = 0; i < 8; ++i)
            qToBigEndian(h[i], out + 4 * i);
    }
};

const QString kPrefix = QStringLiteral("pbkdf2-sha256");

// Constant-time comparison, so that a wrong guess takes as long as a near miss.
bool sameBytes(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (int i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}
} // namespace

namespace PasswordHash {

QByteArray pbkdf2Sha256(const QByteArray &password, const QByteArray &salt, int iterations, int keyLength)
{
    // HMAC with the inner and outer key states computed once: each iteration then
    // costs two compressions, which keeps a login at a fraction of a second.
    QByteArray key = password;
    if (key.size() > 64)
        key = QCryptographicHash::hash(key, QCryptographicHash::Sha256);
    key.append(QByteArray(64 - key.size(), 0));
    Sha256 inner, outer;
    uchar ipad[64], opad[64];
    for (int i = 0; i < 64; ++i) {
        ipad[i] = static_cast<uchar>(key[i]) ^ 0x36;
        opad[i] = static_cast<uchar>(key[i]) ^ 0x5c;
    }
    inner.update(ipad, 64);
    outer.update(opad, 64);
    auto hmac = [&](const uchar *data, int len, uchar out[32]) {
        Sha256 in = inner;
        in.update(data, len);
        uchar mid[32];
        in.final(mid);
        Sha256 o = outer;
        o.update(mid, 32);
        o.final(out);
    };

    QByteArray result;
    for (quint32 block = 1; result.size() < keyLength; ++block) {
        QByteArray first = salt;
        uchar counter[4];
        qToBigEndian(block, counter);
        first.append(reinterpret_cast<const char *>(counter), 4);
        uchar u[32], t[32];
        hmac(reinterpret_cast<const uchar *>(first.constData()), first.size(), u);
        memcpy(t, u, 32);
        for (int i = 1; i < iterations; ++i) {
            hmac(u, 32, u);
            for (int j = 0; j < 32; ++j)
                t[j] ^= u[j];
        }
        result.append(reinterpret_cast<const char *>(t), 32);
    }
    return result.left(keyLength);
}

QString hash(const QString &password, int iterations)
{
    QByteArray salt(16, 0);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(salt.data()), salt.size() / 4);
    const QByteArray key = pbkdf2Sha256(password.toUtf8(), salt, iterations, 32);
    return kPrefix + QLatin1Char('$') + QString::number(iterations) + QLatin1Char('$')
           + QString::fromLatin1(salt.toBase64()) + QLatin1Char('$') + QString::fromLatin1(key.toBase64());
}

QString legacyForm(const QString &password)
{
    const QByteArray bytes = password.toLatin1(); // characters outside Latin-1 become '?'
    QString stored;
    stored.reserve(bytes.size());
    for (char c : bytes)
        stored.append(QChar(static_cast<unsigned char>(c) ^ 0x5E));
    return stored;
}

bool isLegacy(const QString &stored) { return !stored.startsWith(kPrefix + QLatin1Char('$')); }

bool legacyCanHold(const QString &typed)
{
    return QString::fromLatin1(typed.toLatin1()) == typed;
}

bool verify(const QString &typed, const QString &stored)
{
    // An account whose stored password is empty has no password: it never opens.
    if (stored.isEmpty())
        return false;
    // The old form turned every character outside Latin-1 into the same byte, so
    // "张三" would open an account of "李四"; such a typed password proves nothing.
    if (isLegacy(stored))
        return legacyCanHold(typed) && legacyForm(typed) == stored;
    const QStringList parts = stored.split(QLatin1Char('$'));
    if (parts.size() != 4)
        return false;
    bool ok = false;
    const int iterations = parts.at(1).toInt(&ok);
    if (!ok || iterations < 1 || iterations > 10000000)
        return false;
    const QByteArray salt = QByteArray::fromBase64(parts.at(2).toLatin1());
    const QByteArray want = QByteArray::fromBase64(parts.at(3).toLatin1());
    if (salt.isEmpty() || want.isEmpty())
        return false;
    return sameBytes(pbkdf2Sha256(typed.toUtf8(), salt, iterations, want.size()), want);
}

} // namespace PasswordHash
