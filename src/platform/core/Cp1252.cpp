#include "platform/core/Cp1252.h"

namespace tessiv {

namespace {

// 0x80..0x9F; the five unassigned bytes map to the control characters of the same value, as
// Windows' own conversion does, so every byte survives a round trip.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

int ToByte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c)
            return 0x80 + i;
    return -1;
}

} // namespace

QString FromCp1252(const char* data, qsizetype length)
{
    QString s(length, Qt::Uninitialized);
    QChar* out = s.data();
    for (qsizetype i = 0; i < length; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        out[i] = QChar(b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : char16_t(b));
    }
    return s;
}

QByteArray ToCp1252(const QString& text, bool* lossless)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    qsizetype n = 0;
    bool ok = true;
    const QChar* in = text.constData();
    for (qsizetype i = 0; i < text.size(); ++i) {
        int b = ToByte(in[i].unicode());
        if (b < 0) {
            ok = false;
            b = '?';
            // A surrogate pair is one character: one '?' for both halves.
            if (in[i].isHighSurrogate() && i + 1 < text.size() && in[i + 1].isLowSurrogate())
                ++i;
        }
        out[n++] = static_cast<char>(b);
    }
    bytes.truncate(n);
    if (lossless)
        *lossless = ok;
    return bytes;
}

bool IsCp1252(const QString& text)
{
    for (QChar c : text)
        if (ToByte(c.unicode()) < 0)
            return false;
    return true;
}

} // namespace tessiv
