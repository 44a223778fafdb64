// Windows-1252 <-> Qt strings, by the code page of the records (lib/Cp1252.h).
#include "platform/Encoding.h"

#include <cstring>

#include "lib/Cp1252.h"

namespace qs::rt {

QString FromCp1252(const char* text, size_t length) {
    QString out;
    if (!text) return out;
    out.resize(qsizetype(length));
    for (size_t i = 0; i < length; ++i)
        out[qsizetype(i)] = QChar(char16_t(Cp1252Char(static_cast<unsigned char>(text[i]))));
    return out;
}

QString FromCp1252(const char* text) {
    return text ? FromCp1252(text, strlen(text)) : QString();
}

QByteArray ToCp1252(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (Cp1252IsAccent(c.unicode()) && !out.isEmpty())
            out.back() = Cp1252Accented(out.back(), c.unicode());
        else
            out.append(Cp1252Byte(c.unicode()));
    }
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
