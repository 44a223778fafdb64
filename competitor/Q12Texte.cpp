// UTF-8 <-> Windows-1252 for imported competitor texts.
#include "competitor/Q12Texte.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace {

// Code points of the bytes 0x80-0x9F; bytes the code page leaves undefined keep
// their own value, as Windows does.
constexpr std::array<char32_t, 32> kHaut = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                            0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The letters of Latin Extended-A (U+0100-U+017F) as the nearest letter the code page has:
// Polish, Czech, Slovak, Slovenian, Croatian, Hungarian, Baltic and Turkish names read "Lukasz
// Dvorák" rather than "?ukasz Dvo?ák". '*': a letter with a byte of its own.
constexpr std::string_view kLatinA =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIiIiJjKkkLlLlLlLlLlNnNnNnnNnOoOo\xD6\xF6**RrRrRrSsSsSs**"
    "TtTtTtUuUuUuUu\xDC\xFCUuWwYy*ZzZz**s";
static_assert(kLatinA.size() == 0x80);

char VersOctet(char32_t cp) {
    if (cp == '\r' || cp == '\n' || cp == '\t') return ' ';
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return char(cp);
    for (size_t i = 0; i < kHaut.size(); ++i)
        if (kHaut[i] == cp) return char(0x80 + i);
    if (cp >= 0x100 && cp < 0x180) return kLatinA[cp - 0x100];
    if (cp >= 0x218 && cp <= 0x21B) return "SsTt"[cp - 0x218];  // Romanian, comma below
    return '?';
}

// An accent written apart from its letter (a combining mark after it, as some macOS programs
// write): the accented letter where the code page has it, else the letter alone.
struct Accent {
    char32_t mark;
    std::string_view letters, accented;
};
constexpr Accent kAccents[] = {{0x300, "AEIOUaeiou", "\xC0\xC8\xCC\xD2\xD9\xE0\xE8\xEC\xF2\xF9"},
                               {0x301, "AEIOUYaeiouy", "\xC1\xC9\xCD\xD3\xDA\xDD\xE1\xE9\xED\xF3\xFA\xFD"},
                               {0x302, "AEIOUaeiou", "\xC2\xCA\xCE\xD4\xDB\xE2\xEA\xEE\xF4\xFB"},
                               {0x303, "ANOano", "\xC3\xD1\xD5\xE3\xF1\xF5"},
                               {0x308, "AEIOUYaeiouy", "\xC4\xCB\xCF\xD6\xDC\x9F\xE4\xEB\xEF\xF6\xFC\xFF"},
                               {0x30A, "Aa", "\xC5\xE5"},
                               {0x327, "Cc", "\xC7\xE7"},
                               {0x30C, "SZsz", "\x8A\x8E\x9A\x9E"}};

char Accentuer(char letter, char32_t mark) {
    for (const Accent& a : kAccents)
        if (a.mark == mark)
            if (const size_t k = a.letters.find(letter); k != std::string_view::npos) return a.accented[k];
    return letter;
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
    } else {
        out += char(0xE0 | (cp >> 12));
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
        if (lu && cp >= 0x300 && cp < 0x370) {  // a combining mark: on the letter before, if any
            if (!out.empty()) out.back() = Accentuer(out.back(), cp);
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
        AjouterUtf8(out, c >= 0x80 && c < 0xA0 ? kHaut[c - 0x80] : char32_t(c));
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
