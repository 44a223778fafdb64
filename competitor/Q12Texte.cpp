// UTF-8 <-> Windows-1252 for imported competitor texts; UTF-16 text files made UTF-8.
#include "competitor/Q12Texte.h"

#include <array>
#include <cstdint>
#include <string_view>

#include "lib/Cp1252.h"

namespace {

char VersOctet(char32_t cp) {
    return cp == '\r' || cp == '\n' || cp == '\t' ? ' ' : Cp1252Byte(cp);
}

// Decodes one UTF-8 sequence at text[i]; advances i. Returns false for a malformed one
// (i then moves past its first byte).
bool Decoder(std::string_view text, size_t& i, char32_t* cp) {
    auto c = uint8_t(text[i]);
    if (c < 0x80) {
        *cp = c;
        ++i;
        return true;
    }
    int n = (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    if (n < 0 || i + n >= text.size()) {
        ++i;
        return false;
    }
    char32_t v = c & (0x3F >> n);
    for (int k = 1; k <= n; ++k) {
        auto b = uint8_t(text[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return false;
        }
        v = (v << 6) | (b & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    i += n + 1;
    if (v < kMin[n] || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return false;
    *cp = v;
    return true;
}

void AjouterUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string Q12Utf8VersCp1252(std::string_view utf8, size_t maxBytes) {
    std::string out;
    size_t i = 0;
    while (i < utf8.size()) {
        char32_t cp = 0;
        const bool lu = Decoder(utf8, i, &cp);
        if (lu && Cp1252IsAccent(cp)) {  // on the letter before, if any
            if (!out.empty()) out.back() = Cp1252Accented(out.back(), cp);
        } else if (out.size() < maxBytes) {
            out += lu ? VersOctet(cp) : '?';
        } else {
            break;
        }
    }
    return out;
}

std::string Q12Cp1252VersUtf8(std::string_view cp1252) {
    std::string out;
    out.reserve(cp1252.size());
    for (char ch : cp1252) {
        auto c = uint8_t(ch);
        AjouterUtf8(out, Cp1252Char(c));
    }
    return out;
}

std::string Q12Utf16VersUtf8(std::string_view utf16, bool bigEndian) {
    std::string out;
    out.reserve(utf16.size() + utf16.size() / 2);
    const auto unite = [&](size_t i) {
        const auto a = uint8_t(utf16[i]), b = uint8_t(utf16[i + 1]);
        return char32_t(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    for (size_t i = 0; i + 1 < utf16.size(); i += 2) {
        char32_t cp = unite(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < utf16.size()) {
            const char32_t bas = unite(i + 2);
            if (bas >= 0xDC00 && bas <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (bas - 0xDC00);
                i += 2;
            }
        }
        AjouterUtf8(out, cp >= 0xD800 && cp <= 0xDFFF ? 0xFFFD : cp);  // a half pair alone
    }
    return out;
}

bool Q12EstUtf8(std::string_view text) {
    size_t i = 0;
    char32_t cp = 0;
    while (i < text.size())
        if (!Decoder(text, i, &cp)) return false;
    return true;
}
