// Windows-1252, the code page of every text the records, the files and the clock hold: the
// character of each byte, and the byte for a character.
#pragma once

#include <array>
#include <string_view>

// Characters of the bytes 0x80-0x9F; the five bytes Windows leaves undefined keep their own
// value, so every byte survives a round trip.
inline constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char32_t Cp1252Char(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte;
}

// The letters of Latin Extended-A (U+0100-U+017F) as the nearest letter the code page has, as
// Windows itself converts them: Polish, Czech, Slovak, Slovenian, Croatian, Hungarian, Baltic
// and Turkish names read "Lukasz Dvorák" rather than "?ukasz Dvo?ák". '*': a byte of its own.
inline constexpr std::string_view kCp1252LatinA =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIiIiJjKkkLlLlLlLlLlNnNnNnnNnOoOo\xD6\xF6**RrRrRrSsSsSs**"
    "TtTtTtUuUuUuUu\xDC\xFCUuWwYy*ZzZz**s";
static_assert(kCp1252LatinA.size() == 0x80);

// The byte of a character: its own, else the nearest letter, else '?'.
constexpr char Cp1252Byte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return char(c);
    for (size_t i = 0; i < kCp1252High.size(); ++i)
        if (kCp1252High[i] == c) return char(0x80 + i);
    if (c >= 0x100 && c < 0x180) return kCp1252LatinA[c - 0x100];
    if (c >= 0x218 && c <= 0x21B) return "SsTt"[c - 0x218];  // Romanian, comma below
    return '?';
}

// An accent written apart from its letter: a combining mark after it, as some macOS programs write.
constexpr bool Cp1252IsAccent(char32_t c) {
    return c >= 0x300 && c < 0x370;
}

struct Cp1252Accent {
    char32_t mark;
    std::string_view letters, accented;
};
inline constexpr Cp1252Accent kCp1252Accents[] = {
    {0x300, "AEIOUaeiou", "\xC0\xC8\xCC\xD2\xD9\xE0\xE8\xEC\xF2\xF9"},
    {0x301, "AEIOUYaeiouy", "\xC1\xC9\xCD\xD3\xDA\xDD\xE1\xE9\xED\xF3\xFA\xFD"},
    {0x302, "AEIOUaeiou", "\xC2\xCA\xCE\xD4\xDB\xE2\xEA\xEE\xF4\xFB"},
    {0x303, "ANOano", "\xC3\xD1\xD5\xE3\xF1\xF5"},
    {0x308, "AEIOUYaeiouy", "\xC4\xCB\xCF\xD6\xDC\x9F\xE4\xEB\xEF\xF6\xFC\xFF"},
    {0x30A, "Aa", "\xC5\xE5"},
    {0x327, "Cc", "\xC7\xE7"},
    {0x30C, "SZsz", "\x8A\x8E\x9A\x9E"}};

// The letter with the accent: the accented letter where the code page has it, else the letter.
constexpr char Cp1252Accented(char letter, char32_t accent) {
    for (const Cp1252Accent& a : kCp1252Accents)
        if (a.mark == accent)
            if (const size_t k = a.letters.find(letter); k != std::string_view::npos) return a.accented[k];
    return letter;
}
