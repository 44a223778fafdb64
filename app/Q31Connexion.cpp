// The connection dialog and the steps after it: open the link, read what the
// main window shows, switch the clock's spontaneous messages on.
#include "app/Q31Connexion.h"

#include <array>

#include "app/Q31Erreur.h"
#include "app/Q31Ihm.h"
#include "app/Q31Modules.h"
#include "lib/StrBuf.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "ui/Dialogs.h"
#include "ui/Survol.h"
#include "ui/Texts.h"

using namespace fq31;

namespace {

constexpr std::array<int, 7> kSurvol = {CONNECT_REFRESH,  CONNECT_PORT,       CONNECT_SPEED, CONNECT_CONNECT,
                                        CONNECT_CONNECT2, CONNECT_SIMULATION, CONNECT_CANCEL};
constexpr int kSpeeds[4] = {2400, 9600, 38400, 57600};

void Traduire(int dlg) {
    SetCtrlVal(dlg, CONNECT_TITLE, Q31TxtLabelG[0]);
    SetCtrlAttribute(dlg, CONNECT_REFRESH, ATTR_LABEL_TEXT, Q31TxtLabelG[27]);
    SetCtrlAttribute(dlg, CONNECT_NET_ADDRESS, ATTR_LABEL_TEXT, Q31TxtLabelG[28]);
    SetCtrlAttribute(dlg, CONNECT_NET_PORT, ATTR_LABEL_TEXT, Q31TxtLabelG[29]);
    SetCtrlVal(dlg, CONNECT_NET_HINT, Q31TxtLabelG[kQ31LabelNetHint]);
    SetCtrlAttribute(dlg, CONNECT_CONNECT, ATTR_LABEL_TEXT, GLabelBpG[5]);
    SetCtrlAttribute(dlg, CONNECT_CONNECT2, ATTR_LABEL_TEXT, GLabelBpG[5]);
    SetCtrlAttribute(dlg, CONNECT_CANCEL, ATTR_LABEL_TEXT, GLabelBpG[3]);
    SetCtrlAttribute(dlg, CONNECT_SIMULATION, ATTR_LABEL_TEXT, GLabelBpG[7]);
}

void RemplirVitesses(int dlg) {
    ClearListCtrl(dlg, CONNECT_SPEED);
    char label[16];
    for (int s : kSpeeds) {
        StrFormat(label, sizeof label, "%d", s);
        InsertListItem(dlg, CONNECT_SPEED, -1, label, s);
    }
}

// Connect is offered only on a port of the list: with none, the operator searches first.
void RemplirPorts(int dlg) {
    ClearListCtrl(dlg, CONNECT_PORT);
    const int count = SbComG.freePortCount < 0 ? 0 : (SbComG.freePortCount > 64 ? 64 : SbComG.freePortCount);
    GenPortsComCtrl(dlg, CONNECT_PORT, SbComG.portList.data(), count);
    SetCtrlAttribute(dlg, CONNECT_CONNECT, ATTR_DIMMED, count == 0 ? 1 : 0);
}

void RafraichirPorts(int parent, int dlg) {
    SetPanelAttribute(dlg, ATTR_DIMMED, 1);
    SbWait(parent, GMesComG[14]);
    int ports[64];
    const int count = GenPortsComLibres(ports);
    for (int i = 0; i < 64; ++i) SbComG.portList[i] = i < count ? ports[i] : 0;
    SbComG.freePortCount = count;
    RemplirPorts(dlg);
    SetPanelAttribute(dlg, ATTR_DIMMED, 0);
    SbFermerWait(false, 0);
    if (count == 0) SbPopup(dlg, GMessageG[1], GMesComG[kMesComNoPortFound], GLabelBpG[8]);
}

void LireChamps(int dlg) {
    int v = 0;
    if (GetCtrlVal(dlg, CONNECT_PORT, &v) == 0 && v > 0) SbComG.port = v;
    if (GetCtrlVal(dlg, CONNECT_SPEED, &v) == 0 && v > 0) SbComG.speed = v;
    GetCtrlVal(dlg, CONNECT_NET_ADDRESS, SbComG.netAddress, sizeof SbComG.netAddress);
    if (GetCtrlVal(dlg, CONNECT_NET_PORT, &v) == 0) SbComG.netPort = v;
}

// The dialog's loop: returns the chosen link mode (1 serial, 2 second mode) or 0.
int Dialogue(int parent, int dlg) {
    for (;;) {
        if (Q31QuitG) return 0;
        GenSurvolBp(dlg, int(kSurvol.size()), 0, kSurvol.data());
        int panel = 0, control = 0;
        if (GetUserEvent(0, &panel, &control) != EVENT_COMMIT || panel != dlg) continue;
        switch (control) {
            case CONNECT_CANCEL:
                return 0;
            case CONNECT_SIMULATION:
                SbComG.simulation = 1;
                StrCopy(SbComG.family, "QS310");
                StrCopy(SbComG.version, "V000");
                return 0;
            case CONNECT_CONNECT:
                return 1;
            case CONNECT_CONNECT2:
                return 2;
            case CONNECT_REFRESH:
                RafraichirPorts(parent, dlg);
                break;
            default:
                break;
        }
    }
}

}  // namespace

void Q31Connexion(int parent) {
    SetPanelAttribute(parent, ATTR_DIMMED, 1);
    const int dlg = LoadPanel(parent, "FQ31.uir", CONNECT);
    RemplirPorts(dlg);
    RemplirVitesses(dlg);
    Traduire(dlg);
    SetCtrlVal(dlg, CONNECT_PORT, SbComG.port);
    SetCtrlVal(dlg, CONNECT_SPEED, SbComG.speed);
    SetCtrlVal(dlg, CONNECT_NET_ADDRESS, SbComG.netAddress);
    SetCtrlVal(dlg, CONNECT_NET_PORT, SbComG.netPort);
    DisplayPanel(dlg);

    const int mode = Dialogue(parent, dlg);
    LireChamps(dlg);
    DiscardPanel(dlg);

    if (mode == 0) {
        SetPanelAttribute(parent, ATTR_DIMMED, 0);
        return;
    }
    SbWait(parent, GMesComG[0]);
    SbComOuvrir(mode);
    if (SbComG.linkState != 0) {
        SbWait(parent, Q31TxtMesG[0]);
        Q31ComInitLireParam();
        SbComActiveMsg(1);
        SbQ31CrG.connected = 1;
    }
    SbFermerWait(true, 0);
    Q31GererErreur(parent);
}
