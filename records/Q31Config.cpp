// The application record: its one instance, defaults and per-run reset.
#include "records/Q31Config.h"

#include "records/FsdParam.h"

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

void Q31Raz(Q31Config* record) {
    record->simu.simuSynchronised = 0;
    record->simu.simuCompetitor = 0;
}
