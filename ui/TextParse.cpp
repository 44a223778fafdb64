// Cutting a text file's bytes into the fixed-size entries of a text table.
#include "ui/TextParse.h"

namespace {

constexpr int kFin = -1;
constexpr unsigned char kSection = 0xA7;  // the section sign closing a message

// Delivers the bytes as a text-mode read does: CR LF comes out as one LF.
class LecteurTexte {
public:
    LecteurTexte(const unsigned char* data, size_t size) : data_(data), size_(size) {}
    int Lire() {
        if (pos_ >= size_) return kFin;
        unsigned char c = data_[pos_++];
        if (c == '\r' && pos_ < size_ && data_[pos_] == '\n') {
            ++pos_;
            return '\n';
        }
        return c;
    }

private:
    const unsigned char* data_;
    size_t size_;
    size_t pos_ = 0;
};

// Reads one entry; returns false when the end of the data has been met.
bool LireEntree(LecteurTexte& in, char* entry, int entrySize, bool sectionForm) {
    int len = 0;
    bool suite = true;
    for (;;) {
        int c = in.Lire();
        if (c == kFin) {
            suite = false;
            break;
        }
        if (!sectionForm && c == '\n') break;
        if (sectionForm && c == kSection) {
            // The line end before the sign belongs to the layout, not to the message.
            if (len > 0) entry[--len] = 0;
            if (in.Lire() == kFin) suite = false;  // the line end after the sign
            break;
        }
        entry[len++] = char(c);
        if (len == entrySize) break;
    }
    entry[len < entrySize ? len : entrySize - 1] = 0;
    return suite;
}

}  // namespace

int GenLireEntrees(const unsigned char* data, size_t size, char* table, int count, int entrySize,
                   bool sectionForm) {
    if (!table || count <= 0 || entrySize <= 0) return 0;
    LecteurTexte in(data, data ? size : 0);
    int lues = 0;
    bool suite = true;
    while (suite && lues < count) {
        suite = LireEntree(in, table + size_t(lues) * size_t(entrySize), entrySize, sectionForm);
        ++lues;
    }
    return lues;
}
