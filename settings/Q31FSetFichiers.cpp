// Settings files of the parameter page (".q31set", the parameter block) and the GSM
// page (".q31gsm", the GSM block), and the control helpers the pages share.
#include <cstring>

#include "lib/StrBuf.h"
#include "link/SbComConfig.h"
#include "platform/cvi.h"
#include "records/SbComRecord.h"
#include "settings/Q31FSet.h"
#include "settings/Q31FSetPages.h"
#include "ui/MainPanel.h"
#include "ui/Texts.h"

namespace {

constexpr const char* kDossier = "Settings";

const char* Motif(int page) {
    return page == 7 ? "*.q31gsm" : "*.q31set";
}

// Both the main window and the page stop taking input while the dialog is open.
void Assombrir(int page, int dimmed) {
    SetPanelAttribute(Q31FIhmG, ATTR_DIMMED, dimmed);
    SetPanelAttribute(Q31FSetPanel(page), ATTR_DIMMED, dimmed);
}

int Dialogue(int page, bool save) {
    char path[260] = {};
    if (!Q31FSetChoisirFichier(page, save, path)) return 0;
    if (save)
        Q31FSetSauverFichier(page, path);
    else
        Q31FSetChargerFichier(page, path);
    return 0;
}

}  // namespace

int Q31FSetValeur(int panel, int control, int current) {
    int value = current;
    if (panel <= 0 || GetCtrlVal(panel, control, &value) < 0) return current;
    return value;
}

void Q31FSetTexte(int panel, int control, char* field, size_t size) {
    char text[260] = {};
    if (panel <= 0 || GetCtrlVal(panel, control, text, sizeof text) < 0) return;
    StrCopy(field, size, text);
}

int Q31FSetChoisirFichier(int page, bool save, char path[260]) {
    Assombrir(page, 1);
    const int chosen = FileSelectPopup(kDossier, Motif(page), Motif(page), Q31TxtMesG[save ? 8 : 9],
                                       save ? VAL_SAVE_BUTTON : VAL_LOAD_BUTTON, 0, 1, 1, 0, path);
    Assombrir(page, 0);
    return chosen > 0 && path[0] != 0 ? 1 : 0;
}

void Q31FSetSauverFichier(int page, const char* path) {
    Q31FSetParamGet(page);
    if (page == 7)
        SbComSauverGsm(path, &SbComG.gsm);
    else
        SbComSauverParam(path, &SbComG.params);
}

void Q31FSetChargerFichier(int page, const char* path) {
    if (page == 7)
        SbComChargerGsm(path, &SbComG.gsm);
    else
        SbComChargerParam(path, &SbComG.params);
    Q31FSetParam(page);
}

int FQ31SetParamSauver(int, int, int event, void*, int, int) {
    return event == EVENT_COMMIT ? Dialogue(4, true) : 0;
}

int FQ31SetParamCharger(int, int, int event, void*, int, int) {
    return event == EVENT_COMMIT ? Dialogue(4, false) : 0;
}

int FQ31SetGsmSauver(int, int, int event, void*, int, int) {
    return event == EVENT_COMMIT ? Dialogue(7, true) : 0;
}

int FQ31SetGsmCharger(int, int, int event, void*, int, int) {
    return event == EVENT_COMMIT ? Dialogue(7, false) : 0;
}
