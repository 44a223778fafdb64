// The application record "QS-310_V1-1.q31cnf": load, save, defaults, per-run reset.
#include "app/Q31Config.h"

#include "platform/cvi.h"
#include "ui/FileNotices.h"

Q31Config Q31G;

void Q31SimuDefaut(Q31SimuBlock* block) {
    *block = Q31SimuBlock{};
}

void Q31Defaut(Q31Config* r) {
    r->language = 255;
    r->soundOn = 1;
    r->inputButtonsShown = 1;
    r->reserved8 = {0, 0};
    Q31SimuDefaut(&r->simu);
    Q31FsdParamDefaut(&r->secondDisplay, true);
}

void Q31Sauver(const char* path, const Q31Config* record) {
    if (FileWriteAtomic(path, record, sizeof *record) != 0) SbNoteWriteFailure(path);
}

void Q31Charger(const char* path, Q31Config* record) {
    // A short file fills only the first bytes; the rest stays as it was.
    if (FileReadUpTo(path, record, sizeof *record) < 0) {
        Q31Defaut(record);
        Q31Sauver(path, record);
    }
    Q31FsdParamTerminer(&record->secondDisplay);
}

void Q31Raz(Q31Config* record) {
    record->simu.simuSynchronised = 0;
    record->simu.simuCompetitor = 0;
}
