// Text conversions for the import: the readers give UTF-8, the records hold Windows-1252.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// UTF-8 to Windows-1252, at most maxBytes bytes. Letters without a Windows-1252 byte become
// the nearest that has one (Ł, č, ő: L, c, ö; an accent written apart joins its letter), other
// characters and malformed sequences '?'; line breaks and tabs become spaces.
std::string Q12Utf8VersCp1252(std::string_view utf8, size_t maxBytes);
// Windows-1252 to UTF-8 (files written by Windows programs in the ANSI code page).
std::string Q12Cp1252VersUtf8(std::string_view cp1252);
// UTF-16 (its byte-order mark already taken off) to UTF-8; a half surrogate pair alone becomes
// U+FFFD, an odd last byte is dropped.
std::string Q12Utf16VersUtf8(std::string_view utf16, bool bigEndian);
// True when text is well-formed UTF-8.
bool Q12EstUtf8(std::string_view text);
