// Cutting a text file's bytes into the fixed-size entries of a text table.
#pragma once

#include <cstddef>

// Fills `count` entries of `entrySize` bytes (already cleared) from the file bytes,
// in line form (one entry per line) or section-sign form (messages closed by a line
// holding only 0xA7). A CR just before an LF is read as part of the line end.
// Every entry stays terminated: an entry that fills its size loses its last byte.
// Returns the number of entries counted, the empty one after a final terminator
// included.
int GenLireEntrees(const unsigned char* data, size_t size, char* table, int count, int entrySize,
                   bool sectionForm);

// Bytes of a file that can matter for a table of this shape: reading more cannot
// change the result (each entry uses at most 2 * entrySize + 3 bytes).
constexpr size_t GenTailleUtile(int count, int entrySize) {
    return size_t(count) * (2 * size_t(entrySize) + 3) + 2;
}
