// The main window: its life (load, translate, loop, close), its own commands, the
// background task every polling loop runs, and the competitor-number hand-over.
#include "app/Q31Ihm.h"

#include "app/LiveView.h"
#include "app/Q31Aff.h"
#include "app/Q31Connexion.h"
#include "app/Q31Controles.h"
#include "app/Q31Erreur.h"
#include "app/Q31Modules.h"
#include "app/Q31Param.h"
#include "competitor/Q12Envoi.h"
#include "display/Q31Fsd.h"
#include "lib/StrBuf.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "settings/Q31FKey.h"
#include "settings/Q31FSet.h"
#include "ui/Dialogs.h"
#include "ui/FileNotices.h"
#include "ui/Survol.h"
#include "ui/Texts.h"

using namespace q31c;

int Q31QuitG = 0;

namespace {

// The statuses last shown are kept in the mirror's change memory, so that resetting
// it (Q31InitAff) refreshes both pages on the next pass.
void Q31SurveillerEthernet() {
    if (SbCrG.ethernetStatus == Q31MemG.ethernet) return;
    Q31MemG.ethernet = SbCrG.ethernetStatus;
    Q31FSetParam(6);
}

void Q31SurveillerGsm() {
    if (SbCrG.gsmStatus != Q31MemG.gsm) {
        Q31FSetParam(7);
        Q31MemG.gsm = SbCrG.gsmStatus;
    }
    if (SbCrG.gsmTextReady) {
        Q31FSetSimTextGSM();
        SbCrG.gsmTextReady = 0;
    }
}

void OuvrirDocumentation() {
    static const char* const kDocs[4] = {
        "Quick Start QS310 Manager EN.pdf", "Quick Start QS310 Manager FR.pdf",
        "Quick Start QS310 Manager DE.pdf", "Quick Start QS310 Manager IT.pdf"};
    const int lang = Q31G.language < 4 ? Q31G.language : 0;
    GenOuvrirPdf("Doc\\", kDocs[lang]);
}

void Connexion(int switchValue) {
    if (switchValue) {
        Q31Connexion(Q31FIhmG);
        Q31InitAff(false, true);
        return;
    }
    if (SbPopupValid(Q31FIhmG, GMessageG[1], GMesComG[2], GLabelBpG[0], GLabelBpG[1])) {
        SbWait(Q31FIhmG, GMesComG[1]);
        SbComQuitter();
        SbFermerWait(true, 0);
        Q31InitAff(true, true);
    } else {
        SetCtrlVal(Q31FIhmG, MAIN_CONNECT_SWITCH, Q31Connecte() ? 1 : 0);
    }
}

void Dispatcher(int control) {
    int on = 0;
    switch (control) {
        case MAIN_QUIT:
            Q31ValidQuit(Q31FIhmG);
            break;
        case MAIN_ABOUT:
            SbAboutOuvrir(Q31FIhmG, GMessageG[2], "V 1.1.2", 1, true);
            break;
        case MAIN_DOC:
            OuvrirDocumentation();
            break;
        case MAIN_PARAMS:
            if (Q31ParamIhm(Q31FIhmG)) Q31InitAff(false, false);
            break;
        case MAIN_FSD_SWITCH:
            GetCtrlVal(Q31FIhmG, control, &on);
            if (on) {
                Q31InitAff(false, true);
                Q31FsdOuvrir();
            } else {
                Q31FsdFermer();
            }
            break;
        case MAIN_Q12_SWITCH:
            GetCtrlVal(Q31FIhmG, control, &on);
            if (on)
                Q12Ouvrir(Q31FIhmG, control);
            else
                Q12Fermer();
            break;
        case MAIN_KEYS_SWITCH:
            GetCtrlVal(Q31FIhmG, control, &on);
            if (on)
                Q31FKeyOuvrir();
            else
                Q31FKeyFermer();
            break;
        case MAIN_CONNECT_SWITCH:
            GetCtrlVal(Q31FIhmG, control, &on);
            Connexion(on);
            break;
        default:
            break;
    }
}

void Ouvrir() {
    Q31FIhmG = LoadPanel(0, "FQ31.uir", MAIN);
    SbChronoOuvrir("Chronos", "Chrono.q31tps", Q31FIhmG, MAIN_TIMES_TABLE);
    Q31FKeyCharger();
    Q31FKeyTraduire();
    Q31FsdCharger();
    Q12Charger("Courant.q12ct", 3);
    Q12FenTraduire();
    Q31FSetCharger();
    Q31FSetTraduire();
    Q31FenTraduire();
    Q31InitAff(true, true);
    GenEffaceLabel(Q31FIhmG, kCaptioned, kSurvol.data());
    DisplayPanel(Q31FIhmG);
    LiveViewOpen(Q31FIhmG);
    if (SbComG.connectAtStart) {
        Q31Connexion(Q31FIhmG);
        Q31InitAff(false, true);
    }
}

void Fermer() {
    LiveViewClose();
    Q31FKeyQuitter();
    Q31FsdQuitter();
    Q12Quitter("Courant.q12ct");
    SbChronoFermer("Chronos", "Chrono.q31tps");
    DiscardPanel(Q31FIhmG);
    Q31FIhmG = 0;
}

}  // namespace

void Q31TacheDeFond(bool handleErrors) {
    SbComSurveiller();
    if (handleErrors && Q31GererErreur(Q31FIhmG)) Q31InitAff(false, true);
    if (handleErrors && SbShowFileNotices(Q31FIhmG)) Q31InitAff(false, true);
    if (SbComG.linkState == 0 && SbComG.simulation) Q31SimuCr();
    Q31AffRafraichir();
    Q31SurveillerEthernet();
    Q31SurveillerGsm();
    // While a clock is there, real or simulated, the desktop neither blanks nor suspends.
    KeepAwake(SbComG.linkState != 0 || SbComG.simulation, Q31TxtMesG[kQ31MesKeepAwake]);
}

static void TacheFondSansErreur() {
    Q31TacheDeFond(false);
}

void Q31ValidQuit(int panel) {
    if (SbPopupValid(panel, GMessageG[1], GMessageG[3], GLabelBpG[0], GLabelBpG[1])) Q31QuitG = 1;
}

int FQ31Gere(int panel, int control, int event, void*, int, int) {
    if (event == EVENT_CLOSE) {
        Q31QuitG = 1;
    } else if (event == EVENT_LEFT_CLICK) {
        Q31TopBpG = Timer();
        Q31FSetFermer();
    }
    return 0;
}

void Q31FenTraduire() {
    SetCtrlVal(Q31FIhmG, MAIN_FIXED_TEXT, GMessageG[0]);
    SetPanelAttribute(Q31FIhmG, ATTR_TITLE, GMessageG[1]);
    for (int i = 0; i < kCaptioned; ++i)
        SetCtrlAttribute(Q31FIhmG, kSurvol[i], ATTR_LABEL_TEXT, Q31TxtLabelG[i]);
    char label[96];
    for (int k = 0; k < 6; ++k) {
        StrFormat(label, sizeof label, "__%d  %s", k, Q31TxtLabSetG[k]);
        SetCtrlAttribute(Q31FIhmG, kPages[k], ATTR_LABEL_TEXT, label);
    }
    for (int j = 1; j <= 3; ++j) {
        StrFormat(label, sizeof label, "%s __%d", Q31TxtLabSetG[6], j);
        SetCtrlAttribute(Q31FIhmG, kExtensions[j - 1], ATTR_LABEL_TEXT, label);
    }
    char legend[400];
    StrFormat(legend, sizeof legend, "%s\n%s\n%s\n%s\n%s\n%s", Q31TxtLabelG[20], Q31TxtLabelG[21],
              Q31TxtLabelG[22], Q31TxtLabelG[23], Q31TxtLabelG[24], Q31TxtLabelG[25]);
    SetCtrlVal(Q31FIhmG, MAIN_RUN_LEGEND, legend);
    SetTableColumnAttribute(Q31FIhmG, MAIN_TIMES_TABLE, 4, ATTR_LABEL_TEXT, Q31TxtLabelG[26]);
}

void Q31EnregistrerCallbacks() {
    RegisterCallback("FQ31Gere", FQ31Gere);
    SbSetTacheFond(TacheFondSansErreur);
    Q31EnregistrerModules();
}

// Before quitting: the times are on the disk, or the operator chose to quit without them.
static bool QuitEvenIfTimesUnsaved() {
    if (SbChronoSaveNow()) return true;
    char detail[600];
    SbFileNoticeDetail(SbChronoStorePath(), FileLastWriteError(), detail, sizeof detail);
    char question[1024];
    StrFormat(question, sizeof question, "%s\n\n%s", Q31TxtMesG[kMesQuitWithTimesUnsaved], detail);
    return SbPopupValid(Q31FIhmG, GMessageG[1], question, GLabelBpG[0], GLabelBpG[1]);
}

void Q31Ihm() {
    Q31QuitG = 0;
    Ouvrir();
    for (;;) {
        while (!Q31QuitG) {
            GenSurvolBp(Q31FIhmG, int(kSurvol.size()), kCaptioned, kSurvol.data());
            Q31FKeySurvol();
            Q31FSetSurvol();
            Q12Survol();
            Q31TacheDeFond(true);
            int panel = 0, control = 0;
            if (GetUserEvent(0, &panel, &control) == EVENT_COMMIT && panel == Q31FIhmG) Dispatcher(control);
        }
        if (QuitEvenIfTimesUnsaved()) break;
        Q31QuitG = 0;  // the operator stays to save the times elsewhere or free the disk
    }
    Fermer();
}
