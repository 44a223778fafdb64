// Start programs over the link: each of parameters 102..113 exchanged with the
// program number as index. Signed moments travel as their unsigned low byte.
#include "link/SbComProg.h"

#include "lib/StrBuf.h"
#include "link/SbComCommandes.h"

namespace {

// The order in which a program is read and written (106 is never exchanged).
constexpr int kOrdre[] = {102, 103, 104, 105, 107, 108, 109, 110, 111, 112, 113};

}  // namespace

int SbComFormerEcrireProg(int no, int prog, char* out, unsigned size) {
    if (prog < 0 || prog > 50) return 0;
    int32_t* field = SbComChampProg(&SbComG.progs[size_t(prog)], no);
    if (!field) return 0;
    int v = *field;
    unsigned low = unsigned(v) & 0xFF;
    if (no == 102 || no == 103)
        StrFormat(out, size, "WP %03d %02d %04d", no, prog, v);
    else if (no >= 104 && no <= 106)
        StrFormat(out, size, "WP %03d %02d %02d", no, prog, v);
    else if (no == 113)
        StrFormat(out, size, "WP %03d %02d %02x", no, prog, low);
    else
        StrFormat(out, size, "WP %03d %02d %03d", no, prog, int(low));
    return 1;
}

void Q31ComLireProgParam(int no, int prog) {
    if (SbComG.linkState == 0) return;
    char payload[32];
    StrFormat(payload, sizeof payload, "RP %03d %02d", no, prog);
    SbComEchange(payload);
}

void Q31ComEcrireProgParam(int no, int prog) {
    if (SbComG.linkState == 0) return;
    char payload[64];
    if (SbComFormerEcrireProg(no, prog, payload, sizeof payload)) SbComEchange(payload);
}

void Q31ComLireProg(int prog) {
    for (int no : kOrdre) Q31ComLireProgParam(no, prog);
}

void Q31ComEcrireProg(int prog) {
    for (int no : kOrdre) Q31ComEcrireProgParam(no, prog);
}
