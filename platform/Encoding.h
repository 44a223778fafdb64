// Windows-1252 texts of records and files <-> Qt strings (inside the run-time layer only).
#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>

namespace qs::rt {

QString FromCp1252(const char* text);  // null gives an empty string
QString FromCp1252(const char* text, size_t length);
// A letter without a byte becomes the nearest that has one (Ł: L), an accent written apart joins
// its letter, any other character without a byte '?'.
QByteArray ToCp1252(const QString& text);
// Copies text as Windows-1252 into out (at most size-1 bytes, always terminated).
void CopyCp1252(const QString& text, char* out, size_t size);

// A path as the program stores it ("Data\\logo.png", Windows-1252) as a Qt path.
QString PathFromCp1252(const char* path);

}  // namespace qs::rt
