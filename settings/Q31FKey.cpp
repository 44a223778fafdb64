// The key panel: the clock's remote keys, start/stop with its long press (held
// more than 3 s it resets), and the main window's start, stop and reset buttons,
// acting on the simulated clock when no real clock is connected.
#include "settings/Q31FKey.h"

#include <array>

#include "link/SbComCommandes.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "records/SbComRecord.h"
#include "simulation/Q31Simu.h"
#include "ui/Dialogs.h"
#include "ui/MainPanel.h"
#include "ui/Survol.h"
#include "ui/Texts.h"

using namespace fq31;

int Q31FKeyG = 0;

namespace {

constexpr double kLongPress = 3.0;
constexpr std::array<int, 5> kButtons = {KEYS_STARTSTOP, KEYS_KEY4, KEYS_KEY2, KEYS_KEY1, KEYS_KEY8};

bool Simule() {
    return SbComG.linkState == 0 && SbComG.simulation != 0;
}

void StartStopLongPress() {
    if (Timer() - Q31TopBpG <= kLongPress)
        Q31FKeyStartStop();
    else
        Q31FKeyRaz();
}

}  // namespace

void Q31FKeyCharger() {
    Q31FKeyG = LoadPanel(Q31FIhmG, "FQ31.uir", KEYS);
}

void Q31FKeyTraduire() {
    SetPanelAttribute(Q31FKeyG, ATTR_TITLE, Q31TxtLabelG[2]);
}

void Q31FKeyOuvrir() {
    SetCtrlVal(Q31FIhmG, MAIN_KEYS_SWITCH, 1);
    DisplayPanel(Q31FKeyG);
}

void Q31FKeyFermer() {
    HidePanel(Q31FKeyG);
    SetCtrlVal(Q31FIhmG, MAIN_KEYS_SWITCH, 0);
}

void Q31FKeyQuitter() {
    if (Q31FKeyG > 0) DiscardPanel(Q31FKeyG);
    Q31FKeyG = 0;
}

void Q31FKeySurvol() {
    GenSurvolBp(Q31FKeyG, int(kButtons.size()), 0, kButtons.data());
}

void Q31FKeyRaz() {
    if (Simule())
        Q31SimuReset();
    else
        Q31ComCommandeKey(0x20);
}

void Q31FKeyStartStop() {
    const bool noProgram = SbComG.currentProgram == 0;
    if (noProgram || SbComG.synchro.mode == 0) {
        SetPanelAttribute(Q31FKeyG, ATTR_DIMMED, 1);
        SbPopup(Q31FIhmG, GMessageG[1], Q31TxtMesG[noProgram ? 14 : 13], GLabelBpG[8]);
        SetPanelAttribute(Q31FKeyG, ATTR_DIMMED, 0);
        return;
    }
    if (Simule())
        Q31SimuStartStop();
    else
        Q31ComCommandeKey(0x10);
}

int FQ31KeyGere(int, int, int event, void*, int, int) {
    if (event == EVENT_CLOSE)
        Q31FKeyFermer();
    else if (event == EVENT_LEFT_CLICK || event == EVENT_KEYPRESS)
        Q31TopBpG = Timer();  // a key that presses a button starts its press too
    return 0;
}

int FQ31Key(int, int control, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    switch (control) {
        case KEYS_STARTSTOP:
            StartStopLongPress();
            break;
        case KEYS_KEY4:
            Q31ComCommandeKey(0x04);
            break;
        case KEYS_KEY2:
            Q31ComCommandeKey(0x02);
            break;
        case KEYS_KEY1:
            Q31ComCommandeKey(0x01);
            break;
        case KEYS_KEY8:
            Q31ComCommandeKey(0x08);
            break;
        default:
            break;
    }
    return 0;
}

int FQ31StartStop(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) StartStopLongPress();
    return 0;
}

int FQ31BpProg(int, int control, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    if (control == MAIN_RESET)
        Q31FKeyRaz();
    else
        Q31FKeyStartStop();
    return 0;
}

void Q31FKeyEnregistrerCallbacks() {
    RegisterCallback("FQ31KeyGere", FQ31KeyGere);
    RegisterCallback("FQ31Key", FQ31Key);
    RegisterCallback("FQ31StartStop", FQ31StartStop);
    RegisterCallback("FQ31BpProg", FQ31BpProg);
}
