// The ten settings pages shown inside the main window: opening (with the page's
// reads), filling from the link record, confirming (with the page's writes),
// captions and hover, and the settings files of the parameter and GSM pages.
#pragma once

#include <array>

inline constexpr int kQ31FSetPages = 10;
inline constexpr int kQ31FSetPanelBase = 10;  // resource panel of page 0; page p is 10 + p

extern std::array<int, kQ31FSetPages> Q31FSetG;  // panel handles, page order

// Registers every page callback by name; called once before any panel loads.
void Q31FSetEnregistrerCallbacks();

void Q31FSetCharger();
void Q31FSetTraduire();
void Q31FSetTraduirePage(int page);
void Q31FSetOuvrir(int page, int button);
void Q31FSetFermer();
void Q31FSetSurvol();
int Q31FSetPageOuverte();  // -1 when no page is open

void Q31FSetParam(int page);     // controls from the link record
void Q31FSetParamGet(int page);  // link record from the controls
void Q31FSetLire(int page);      // the page's reads, under the wait box
void Q31FSetEcrire(int page);    // the page's writes, under the wait box
void Q31FSetProgAfficher(int page, int n);
void Q31FSetProgLire(int page, int n);

void Q31FSetSimTextGSM();

// Panel callbacks (commit events; return 0).
int FQ31Set(int panel, int control, int event, void* data, int d1, int d2);
int FQ31SetQuit(int panel, int control, int event, void* data, int d1, int d2);
int FQ31SetValider(int panel, int control, int event, void* data, int d1, int d2);
int FQ31SetChrono(int panel, int control, int event, void* data, int d1, int d2);
int FQ31CmdEthernet(int panel, int control, int event, void* data, int d1, int d2);
int FQ31CmdGsm(int panel, int control, int event, void* data, int d1, int d2);
int FQ31ChoixGsm(int panel, int control, int event, void* data, int d1, int d2);
int FQ31SetManche(int panel, int control, int event, void* data, int d1, int d2);
int FQ31SetSynchro(int panel, int control, int event, void* data, int d1, int d2);
int FQ31SetProgNumCharger(int panel, int control, int event, void* data, int d1, int d2);
int FQ31SetProgNumSauver(int panel, int control, int event, void* data, int d1, int d2);
int FQ31SetProgCharger(int panel, int control, int event, void* data, int d1, int d2);
int FQ31SetProgSauver(int panel, int control, int event, void* data, int d1, int d2);
int FQ31MancheCible(int panel, int control, int event, void* data, int d1, int d2);
int FQ31MancheCharger(int panel, int control, int event, void* data, int d1, int d2);
int FQ31SetRaz(int panel, int control, int event, void* data, int d1, int d2);
int FQ31SetParamSauver(int panel, int control, int event, void* data, int d1, int d2);
int FQ31SetParamCharger(int panel, int control, int event, void* data, int d1, int d2);
int FQ31SetGsmSauver(int panel, int control, int event, void* data, int d1, int d2);
int FQ31SetGsmCharger(int panel, int control, int event, void* data, int d1, int d2);

// The main window's live mirror, which the pages redraw after they change the clock's
// run, program or settings: the main window registers its Q31InitAff and Q31AffManche
// (nullptr for none). The pages call them through Q31FSetMirrorReset and
// Q31FSetMirrorRun, which do nothing while none is registered.
using Q31MirrorResetFn = void (*)(bool clearRecords, bool resetMemory);
using Q31MirrorRunFn = void (*)(int run);
void Q31FSetSetMirror(Q31MirrorResetFn reset, Q31MirrorRunFn run);
void Q31FSetMirrorReset(bool clearRecords, bool resetMemory);
void Q31FSetMirrorRun(int run);
