// The wire journal's lines: what the link saw, written as plain ASCII.
#include "link/SbComJournal.h"

#include <cstdio>
#include <cstring>

#include "link/SbComFrame.h"
#include "platform/Journal.h"
#include "ui/FileNotices.h"

namespace {

constexpr const char* kEntete =
    "# QS-310 Manager wire journal: > sent, < received, x rejected, ! fault, * link opened or closed";

// Room for a line of kSbComLigneMax bytes and a note, each byte written as \xHH at worst.
constexpr int kNoteMax = 32;
constexpr size_t kLigneMax = 4 * (kSbComLigneMax + kNoteMax) + 8;

void Ajouter(char marker, const char* bytes, int length) {
    if (!JournalActive()) return;
    char line[kLigneMax];
    const size_t n = SbComJournalFormer(marker, bytes, length, line, sizeof line);
    JournalAdd(line, n);
}

}  // namespace

size_t SbComJournalFormer(char marker, const char* bytes, int length, char* out, size_t size) {
    static const char kHex[] = "0123456789ABCDEF";
    if (size < 8) return 0;
    size_t n = 0;
    out[n++] = marker;
    out[n++] = ' ';
    for (int i = 0; i < length && n + 4 < size; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c == '\t' || c == '\r' || c == '\\') {
            out[n++] = '\\';
            out[n++] = c == '\t' ? 't' : c == '\r' ? 'r' : '\\';
        } else if (c >= 0x20 && c < 0x7F) {
            out[n++] = char(c);
        } else {
            out[n++] = '\\';
            out[n++] = 'x';
            out[n++] = kHex[c >> 4];
            out[n++] = kHex[c & 15];
        }
    }
    out[n] = 0;
    return n;
}

void SbComJournalDemarrer() {
    JournalStart("Logs", "link", kSbComJournalPlafond, kEntete);
}

void SbComJournalArreter() {
    JournalStop();
}

void SbComJournalSurveiller() {
    char path[260];
    const int reason = JournalTakeFault(path, sizeof path);
    if (reason != 0) SbNoteFileNotice(SbFileNotice::FileNotWritten, path, reason);
}

void SbComJournalEnvoi(const char* frame, int length) {
    if (length >= 2 && frame[length - 2] == '\r' && frame[length - 1] == '\n') length -= 2;
    Ajouter('>', frame, length);
}

void SbComJournalRecu(const char* line, int length, bool tooLong, bool accepted) {
    if (length > 0 && line[length - 1] == '\r' && !tooLong) --length;
    if (!tooLong) {
        Ajouter(accepted ? '<' : 'x', line, length);
        return;
    }
    // An over-long line: its first bytes, and what became of it.
    char head[kSbComLigneMax + kNoteMax];
    const int kept = length < kSbComLigneMax ? length : kSbComLigneMax;
    memcpy(head, line, size_t(kept));
    const int note = snprintf(head + kept, kNoteMax, "... (over %d bytes)", kSbComLigneMax);
    Ajouter('x', head, kept + note);
}

void SbComJournalFaute(const char* text) {
    Ajouter('!', text, int(strlen(text)));
}

void SbComJournalLien(const char* text) {
    Ajouter('*', text, int(strlen(text)));
}
