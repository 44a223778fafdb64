// Run page (open and close the current run), synchronisation page, and the page
// that loads a finished run or clears the clock's memory.
#include "chrono/SbChrono.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "records/SbComRecord.h"
#include "settings/Q31FSet.h"
#include "settings/Q31FSetLogique.h"
#include "settings/Q31FSetPages.h"
#include "ui/Dialogs.h"
#include "ui/MainPanel.h"
#include "ui/Texts.h"

using namespace fq31;

namespace {

// Every confirmation asks with the same title and buttons.
bool Confirmer(int parent, const char* question) {
    return SbPopupValid(parent, GMessageG[1], question, GLabelBpG[0], GLabelBpG[1]);
}

}  // namespace

// ---- page 0: current run --------------------------------------------------

void Q31FSetParamRun(int panel) {
    const SbComRun& run = SbComG.run;
    const bool open = run.current > 0;
    SetCtrlVal(panel, PAGE0_RUN_SWITCH, open ? 1 : 0);
    SetCtrlAttribute(panel, PAGE0_RUN_SWITCH, ATTR_LABEL_TEXT, Q31TxtLabSetG[open ? 7 : 8]);
    SetCtrlVal(panel, PAGE0_RUN_NUMBER, open ? run.current : run.next);
}

// The switch acts at once; the run state is then read back from the clock.
int FQ31SetManche(int panel, int control, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    if (Q31FSetValeur(panel, control, 0) == 0) {
        // The popup dims the page while it asks; declining leaves everything as it was.
        if (Confirmer(panel, Q31TxtMesG[2])) Q31FSetFermerManche();
    } else {
        Q31FSetOuvrirManche();
    }
    Q31FSetLire(0);
    Q31FSetParam(0);
    Q31FSetMirrorReset(false, true);
    SetActivePanel(panel);
    return 0;
}

// ---- page 1: synchronisation ----------------------------------------------

void Q31FSetParamSynchro(int panel) {
    const SbComSynchro& s = SbComG.synchro;
    SetCtrlVal(panel, PAGE1_SYNC_PRESET, s.mode == 2 ? 1 : 0);
    SetCtrlVal(panel, PAGE1_SYNC_COMPUTER, s.mode == 5 ? 1 : 0);
    SetCtrlVal(panel, PAGE1_HOUR, s.hour);
    SetCtrlVal(panel, PAGE1_MINUTE, s.minute);
    SetCtrlVal(panel, PAGE1_DAY, s.day);
    SetCtrlVal(panel, PAGE1_MONTH, s.month);
    SetCtrlVal(panel, PAGE1_YEAR, s.year);
    SetCtrlVal(panel, PAGE1_TIMEZONE, s.timeZone);
}

void Q31FSetGetSynchro(int panel) {
    SbComSynchro& s = SbComG.synchro;
    const int preset = Q31FSetValeur(panel, PAGE1_SYNC_PRESET, s.mode == 2);
    const int computer = Q31FSetValeur(panel, PAGE1_SYNC_COMPUTER, s.mode == 5);
    s.mode = Q31FSetModeSynchro(preset, computer);
    s.hour = Q31FSetValeur(panel, PAGE1_HOUR, s.hour);
    s.minute = Q31FSetValeur(panel, PAGE1_MINUTE, s.minute);
    s.day = Q31FSetValeur(panel, PAGE1_DAY, s.day);
    s.month = Q31FSetValeur(panel, PAGE1_MONTH, s.month);
    s.year = Q31FSetValeur(panel, PAGE1_YEAR, s.year);
    s.timeZone = Q31FSetValeur(panel, PAGE1_TIMEZONE, s.timeZone);
}

// The two choices exclude each other; both may be off.
int FQ31SetSynchro(int panel, int control, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    if (Q31FSetValeur(panel, control, 0) == 0) return 0;
    SetCtrlVal(panel, control == PAGE1_SYNC_PRESET ? PAGE1_SYNC_COMPUTER : PAGE1_SYNC_PRESET, 0);
    return 0;
}

// ---- page 5: loading a run, clearing the memory ---------------------------

void Q31FSetParamChargement(int panel) {
    const Q31FSetEtatChargement e = Q31FSetChargement(SbComG.run, SbComG.downloadTarget);
    SetCtrlAttribute(panel, PAGE5_LOAD, ATTR_DIMMED, e.loadDimmed ? 1 : 0);
    SetCtrlAttribute(panel, PAGE5_RUN_NUM, ATTR_DIMMED, e.numberDimmed ? 1 : 0);
    SetCtrlAttribute(panel, PAGE5_RUN_NUM, ATTR_MAX_VALUE, e.maxRun);
    SetCtrlVal(panel, PAGE5_RUN_NUM, Q31DerMancheChargeeG);
    SetCtrlVal(panel, PAGE5_TARGET, SbComG.downloadTarget);
    SetCtrlAttribute(panel, PAGE5_RAZ, ATTR_DIMMED, e.clearDimmed ? 1 : 0);
}

void Q31FSetGetChargement(int panel) {
    SbComG.downloadTarget = Q31FSetValeur(panel, PAGE5_TARGET, SbComG.downloadTarget);
    Q31DerMancheChargeeG = Q31FSetValeur(panel, PAGE5_RUN_NUM, Q31DerMancheChargeeG);
}

int FQ31MancheCible(int panel, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    Q31FSetGetChargement(panel);
    Q31FSetParamChargement(panel);
    return 0;
}

int FQ31MancheCharger(int panel, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    Q31FSetGetChargement(panel);
    if (SbComG.downloadTarget == 1) Q31FSetFermer();  // the times come into the table below
    Q31FSetChargerManche(Q31DerMancheChargeeG, SbComG.downloadTarget);
    return 0;
}

int FQ31SetRaz(int panel, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    if (Confirmer(panel, Q31TxtMesG[3])) Q31FSetRazMemoire();
    Q31FSetParamChargement(panel);
    return 0;
}
