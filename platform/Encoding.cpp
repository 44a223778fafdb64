// Windows-1252 conversion: a fixed table for 0x80-0x9F, Latin-1 elsewhere.
#include "platform/Encoding.h"

#include <array>
#include <cstring>

namespace qs::rt {
namespace {

// 0x80-0x9F; the five bytes Windows leaves undefined map onto the same C1 code points,
// so every byte survives a round trip.
constexpr std::array<char16_t, 32> kHigh = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                            0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char ByteOf(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return char(c);
    for (size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == c) return char(0x80 + i);
    return '?';
}

}  // namespace

QString FromCp1252(const char* text, size_t length) {
    QString out;
    if (!text) return out;
    out.resize(qsizetype(length));
    for (size_t i = 0; i < length; ++i) {
        auto b = static_cast<unsigned char>(text[i]);
        out[qsizetype(i)] = QChar(b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : char16_t(b));
    }
    return out;
}

QString FromCp1252(const char* text) {
    return text ? FromCp1252(text, strlen(text)) : QString();
}

QByteArray ToCp1252(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) out.append(ByteOf(c.unicode()));
    return out;
}

void CopyCp1252(const QString& text, char* out, size_t size) {
    if (!out || size == 0) return;
    QByteArray bytes = ToCp1252(text);
    size_t n = std::min(size - 1, size_t(bytes.size()));
    memcpy(out, bytes.constData(), n);
    out[n] = 0;
}

QString PathFromCp1252(const char* path) {
    QString p = FromCp1252(path);
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return p;
}

}  // namespace qs::rt
