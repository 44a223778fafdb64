// Hover highlighting of buttons, caption hiding, free serial ports, opening documents.
#include "ui/Survol.h"

#include <cstring>

#include "lib/StrBuf.h"
#include "platform/cvi.h"
#include "ui/Texts.h"

namespace {

bool survolActif = true;
// Place + 1 of the control under the mouse at the last update (0 none, -1 not yet
// known); one memory for every panel, as only the active panel is followed.
int survolPrecedent = -1;

bool Utilisable(int panel, int control) {
    int visible = 0, dimmed = 1;
    GetCtrlAttribute(panel, control, ATTR_VISIBLE, &visible);
    GetCtrlAttribute(panel, control, ATTR_DIMMED, &dimmed);
    return visible && !dimmed;
}

// The mouse position (mx, my) is in panel coordinates, like the control's own position.
bool SousLaSouris(int panel, int control, int mx, int my) {
    int haut = 0, gauche = 0, largeur = 0, hauteur = 0;
    GetCtrlAttribute(panel, control, ATTR_TOP, &haut);
    GetCtrlAttribute(panel, control, ATTR_LEFT, &gauche);
    GetCtrlAttribute(panel, control, ATTR_WIDTH, &largeur);
    GetCtrlAttribute(panel, control, ATTR_HEIGHT, &hauteur);
    const int x = mx - gauche, y = my - haut;
    return x >= 0 && x <= largeur && y >= 0 && y <= hauteur;
}

}  // namespace

void GenActiverSurvol(bool on) {
    survolActif = on;
}

void GenSurvolBp(int panel, int count, int captioned, const int* controls) {
    if (!survolActif || !controls || count <= 0) return;
    if (GetActivePanel() != panel) return;
    if (captioned > count) captioned = count;

    // One look at the mouse per update: asking the window system once per control
    // would cost a round trip each, on every pass of every loop.
    int mx = 0, my = 0;
    const bool souris = GetRelativeMouseState(panel, 0, &mx, &my, nullptr, nullptr, nullptr) == 0;
    int survole = 0;
    for (int i = 0; souris && i < count; ++i) {
        if (Utilisable(panel, controls[i]) && SousLaSouris(panel, controls[i], mx, my)) {
            survole = i + 1;
            break;
        }
    }
    if (survole == survolPrecedent) return;

    SetMouseCursor(survole == 0 ? VAL_DEFAULT_CURSOR : VAL_POINTING_FINGER_CURSOR);
    for (int i = 0; i < captioned; ++i)
        if (i + 1 != survole) SetCtrlAttribute(panel, controls[i], ATTR_LABEL_VISIBLE, 0);
    if (survole != 0) SetCtrlAttribute(panel, controls[survole - 1], ATTR_LABEL_VISIBLE, 1);
    survolPrecedent = survole;
}

void GenEffaceLabel(int panel, int count, const int* controls) {
    if (!controls) return;
    for (int i = 0; i < count; ++i) SetCtrlAttribute(panel, controls[i], ATTR_LABEL_VISIBLE, 0);
}

int GenPortsComLibres(int ports[64]) {
    int libres = 0;
    for (int port = 1; port <= 64; ++port) {
        if (OpenCom(port, "") < 0) continue;
        ports[libres++] = port;
        CloseCom(port);
    }
    return libres;
}

void GenPortsComCtrl(int panel, int control, const int* ports, int count) {
    ClearListCtrl(panel, control);
    if (!ports) return;
    // Beside its number, the device and what the system knows of it, so the operator can
    // pick the USB adapter just plugged in ("COM33 \xB7 /dev/ttyUSB0 \xB7 FT232R USB UART").
    for (int i = 0; i < count && i < 64; ++i) {
        char nom[16], device[64], description[64], libelle[160];
        StrFormat(nom, sizeof nom, "COM%d", ports[i]);
        ComPortDevice(ports[i], device, sizeof device);
        ComPortDescription(ports[i], description, sizeof description);
        StrCopy(libelle, nom);
        if (device[0] && strcmp(device, nom) != 0)
            StrFormat(libelle, sizeof libelle, "%s \xB7 %s", nom, device);
        if (description[0])
            StrFormat(libelle + strlen(libelle), sizeof libelle - strlen(libelle), " \xB7 %s", description);
        InsertListItem(panel, control, -1, libelle, ports[i]);
    }
}

void GenOuvrirPdf(const char* folder, const char* file) {
    SetWaitCursor(1);
    char chemin[260];
    StrFormat(chemin, sizeof chemin, "%s%s", folder ? folder : "", file ? file : "");
    const int resultat = OpenDocument(chemin);
    SetWaitCursor(0);
    if (resultat == 0) return;
    // Where the document really is on this computer, so the operator can open it by hand.
    char dossier[260], natif[260], message[600];
    GetDir(dossier);
    ToNativePath(chemin, natif, sizeof natif);
    StrFormat(message, sizeof message, "%s\n%s/%s",
              Q31TxtMesG[resultat == -1 ? kQ31MesDocMissing : kQ31MesDocNoViewer], dossier, natif);
    MessagePopup(GMessageG[1], message);
}
