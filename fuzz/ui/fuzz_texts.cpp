// libFuzzer target: arbitrary file bytes cut into every shape of text table, in both
// forms; each entry must stay terminated and nothing may be written outside the table.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ui/TextParse.h"

namespace {

struct Forme {
    int entries;
    int size;
    bool section;
};

// The seven tables' shapes, and a tiny one that makes every entry overflow.
constexpr Forme kFormes[] = {{9, 64, false},  {5, 128, true},  {16, 128, true}, {61, 64, false},
                             {17, 256, true}, {17, 64, false}, {3, 4, false},   {3, 4, true}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (const Forme& f : kFormes) {
        // Exactly the table's bytes on the heap: a write past it is caught by the sanitizer.
        std::vector<char> table(size_t(f.entries) * size_t(f.size), 0);
        int lues = GenLireEntrees(data, size, table.data(), f.entries, f.size, f.section);
        if (lues < 1 || lues > f.entries) std::abort();
        for (int i = 0; i < f.entries; ++i)
            if (strnlen(&table[size_t(i) * size_t(f.size)], size_t(f.size)) >= size_t(f.size)) std::abort();
    }
    return 0;
}
