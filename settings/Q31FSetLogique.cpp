// Rules of the settings pages that need no window, and the exchanges each page
// makes with the clock.
#include "settings/Q31FSetLogique.h"

#include <algorithm>
#include <cstdio>

#include "chrono/SbChrono.h"
#include "lib/StrBuf.h"
#include "link/SbComCommandes.h"
#include "link/SbComFrame.h"
#include "link/SbComGsmEth.h"
#include "link/SbComProg.h"
#include "platform/cvi.h"
#include "settings/Q31FSet.h"
#include "simulation/Q31Simu.h"

namespace {

// The clock wants its first replies before the second group of page 4's reads.
constexpr double kPauseEntrees = 0.1;

void LirePage4() {
    SbComLireParam(1);
    SbComLireInput(1);
    SbComLireInput(2);
    Delay(kPauseEntrees);
    for (int no : {23, 7, 29, 16, 17, 21, 12, 8}) SbComLireParam(no);
}

// Parameter 16 comes last: a new serial speed reopens the port, so every other
// write must still travel at the old speed. Parameter 19 is edited and kept in
// settings files but never sent (the clock's reads and writes leave it alone).
void EcrirePage4() {
    SbComEcrireParam(1);
    SbComEcrireInput(1);
    SbComEcrireInput(2);
    for (int no : {23, 7, 29, 17, 21, 12, 16}) SbComEcrireParam(no);
}

void EcrireSynchro() {
    SbComEcrireParam(9);
    const int mode = SbComG.synchro.mode;
    if (mode == 2 || mode == 5) SbComCommande(7);
    if (mode == 5) Q31ComCommandeKey(4);
    if (mode == 2 && Q31FSetSimule()) Q31SimuSynchroMode2();
}

void ViderTableTemps() {
    SbChronoEffacer();
    SbChronoAfficher();
}

}  // namespace

bool Q31FSetSimule() {
    return SbComG.linkState == 0 && SbComG.simulation != 0;
}

int Q31FSetProgCorriger(int value, int previous) {
    if (value == 5) return previous < 5 ? 6 : 4;
    if (value == 7) return previous < 7 ? 8 : 6;
    return value;
}

int Q31FSetBaseAffichee(const SbComInput& input) {
    return input.enabled == 0 ? 0 : input.timeBase;
}

void Q31FSetBaseEntree(SbComInput* input, int timeBase) {
    // An input the clock has switched off shows "off" whatever its time base; left off,
    // it keeps the time base the clock holds for it.
    if (!(timeBase == 0 && input->enabled == 0)) input->timeBase = timeBase;
    input->enabled = timeBase > 0 ? 1 : 0;
}

int Q31FSetEthernetDecouper(const char* text, int bytes[4]) {
    std::fill(bytes, bytes + 4, 0);
    if (!text) return 0;
    int n = sscanf(text, "%03d.%03d.%03d.%03d", &bytes[0], &bytes[1], &bytes[2], &bytes[3]);
    return n < 0 ? 0 : n;
}

void Q31FSetEthernetFormer(const int bytes[4], char* out, size_t size) {
    int b[4];
    for (int i = 0; i < 4; ++i) b[i] = std::clamp(bytes[i], 0, 255);
    StrFormat(out, size, "%03d.%03d.%03d.%03d", b[0], b[1], b[2], b[3]);
}

bool Q31FSetEthernetFitsFields(const char* text) {
    if (!text) return false;
    const char* p = text;
    for (int field = 0; field < 4; ++field) {
        if (field > 0 && *p++ != '.') return false;
        int value = 0, digits = 0;
        for (; digits < 4 && *p >= '0' && *p <= '9'; ++digits) value = value * 10 + (*p++ - '0');
        if (digits == 0 || digits > 3 || value > 255) return false;
    }
    return *p == '\0';
}

int Q31FSetEtatGsm(int status) {
    if ((status & 0x01) == 0) return 0;
    return (status & 0x40) ? 2 : 1;
}

int Q31FSetModeSynchro(int presetOn, int computerOn) {
    if (presetOn) return 2;
    if (computerOn) return 5;
    return 0;
}

int Q31FSetFlagsProg(int flags, int bit0On) {
    return bit0On ? (flags | 1) : (flags & ~1);
}

Q31FSetEtatChargement Q31FSetChargement(const SbComRun& run, int target) {
    Q31FSetEtatChargement e{};
    e.numberDimmed = run.next < 2;
    e.loadDimmed = run.next < 2 || (run.current != 0 && target == 1);
    e.maxRun = std::max(1, run.next - 1);
    e.clearDimmed = run.current != 0;
    return e;
}

char Q31FSetItemRefuse(int page) {
    char payload[256];
    if (page == 7) {
        for (char key : kSbComGsmOrdreEcriture)
            if (SbComPayloadGsm(key, payload, sizeof payload) && SbComSomme(payload) < 0) return key;
    } else if (page == 6) {
        for (int k = 0; k < 2; ++k) {
            SbComPayloadEthernet(k, k == 0 ? SbComG.ethernet.address0 : SbComG.ethernet.address1, payload,
                                 sizeof payload);
            if (SbComSomme(payload) < 0) return char('0' + k);
        }
    }
    return 0;
}

void Q31FSetEnvoyerLectures(int page) {
    switch (page) {
        case 0:
            SbComLireParam(3);
            break;
        case 1:
            SbComLireParam(10);
            SbComLireParam(9);
            break;
        case 2:
            SbComLireParam(2);
            break;
        case 3:
            SbComLireParam(101);
            Q31ComLireProg(0);
            break;
        case 4:
            LirePage4();
            break;
        case 6:
            SbComLireParam(35);
            SbComLireEthernetAd(0);
            SbComLireEthernetAd(1);
            break;
        case 7:
            SbComLireParam(34);
            SbComLireParamsGSM();
            break;
        default:
            break;  // pages 5, 8 and 9 read nothing
    }
}

void Q31FSetEnvoyerEcritures(int page) {
    switch (page) {
        case 1:
            EcrireSynchro();
            break;
        case 2:
            SbComCommande(3);
            break;
        case 3:
            Q31ComEcrireProg(0);
            break;
        case 4:
            EcrirePage4();
            break;
        case 6:
            SbComEcrireEthernetAd(0, SbComG.ethernet.address0);
            SbComEcrireEthernetAd(1, SbComG.ethernet.address1);
            break;
        case 7:
            SbComEcrireParamsGSM();
            break;
        default:
            break;  // pages 0, 5, 8 and 9 send nothing on confirm
    }
}

void Q31FSetFermerManche() {
    SbComCommande(1);
    if (Q31FSetSimule()) Q31SimuFermerManche();
}

void Q31FSetOuvrirManche() {
    SbComCommande(2);
    if (Q31FSetSimule()) Q31SimuOuvrirManche();
    ViderTableTemps();
}

void Q31FSetChargerManche(int run, int target) {
    if (target == 1) {
        ViderTableTemps();
        Q31FSetMirrorRun(run);
    }
    SbComCommandeChargerManche(short(run), short(target));
}

void Q31FSetRazMemoire() {
    ViderTableTemps();
    if (Q31FSetSimule()) {
        Q31SimuRazCompteurs();
        return;
    }
    SbComCommande(5);
    Q31ComInitLireParam();
}

void Q31FSetChargerProg(int n) {
    SbComG.currentProgram = std::clamp(n, 0, 50);
    SbComCommande(4);
    Q31ComLireProg(SbComG.currentProgram);
}
