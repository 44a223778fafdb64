// The about box (stays open beside the program) and the language choice of the first start.
#include <initializer_list>

#include "lib/StrBuf.h"
#include "platform/cvi.h"
#include "ui/Dialogs.h"
#include "ui/DialogsCommon.h"
#include "ui/Survol.h"

namespace {

using namespace fsabgen;

int aboutPanel = 0;
int aboutParent = 0;

bool SurUnLien(int panel) {
    for (int lien : {ABOUT_LIEN1, ABOUT_LIEN2}) {
        int visible = 0, largeur = 0, hauteur = 0, x = -1, y = -1, g = 0, d = 0, k = 0;
        GetCtrlAttribute(panel, lien, ATTR_VISIBLE, &visible);
        GetCtrlAttribute(panel, lien, ATTR_WIDTH, &largeur);
        GetCtrlAttribute(panel, lien, ATTR_HEIGHT, &hauteur);
        if (visible && GetRelativeMouseState(panel, lien, &x, &y, &g, &d, &k) == 0 && x >= 0 &&
            x <= largeur && y >= 0 && y <= hauteur)
            return true;
    }
    return false;
}

}  // namespace

int FSabAbout(int panel, int control, int event, void*, int, int) {
    if (event == EVENT_CLOSE) {
        SbAboutFermer();
        return 1;
    }
    if (event != EVENT_LEFT_CLICK) return 0;
    // A click on a hyperlink opens it and leaves the box up; anywhere else closes it.
    int curseur = VAL_DEFAULT_CURSOR;
    GetMouseCursor(&curseur);
    if (curseur == VAL_DEFAULT_CURSOR && !SurUnLien(panel)) SbAboutFermer();
    return 0;
}

void SbAboutOuvrir(int parent, const char* title, const char* version, int value, bool full) {
    if (aboutPanel > 0) SbAboutFermer();
    aboutParent = parent;
    SbGriser(parent, true);
    SetMouseCursor(VAL_DEFAULT_CURSOR);
    RegisterCallback("FSabAbout", FSabAbout);
    int panel = LoadPanel(0, kSabGenResource, ABOUT);
    if (panel < 0) {
        SbGriser(parent, false);
        return;
    }
    aboutPanel = panel;
    char valeur[16];
    StrFormat(valeur, sizeof valeur, "%d", value);
    SetPanelAttribute(panel, ATTR_TITLE, title ? title : "");
    SetCtrlVal(panel, ABOUT_TITRE, title ? title : "");
    SetCtrlVal(panel, ABOUT_VERSION, version ? version : "");
    SetCtrlVal(panel, ABOUT_VALEUR, valeur);
    if (!full) SetPanelAttribute(panel, ATTR_HEIGHT, 280);
    InstallPanelCallback(panel, FSabAbout, nullptr);
    DisplayPanel(panel);
}

void SbAboutFermer() {
    if (aboutPanel <= 0) return;
    DiscardPanel(aboutPanel);
    aboutPanel = 0;
    SbGriser(aboutParent, false);
    aboutParent = 0;
}

int SbChoixLangue(int parent) {
    SbGriser(parent, true);
    int panel = LoadPanel(0, kSabGenResource, LANGUE);
    if (panel < 0) {
        SbGriser(parent, false);
        return 0;  // without its panel the program speaks English
    }
    DisplayPanel(panel);
    // The close box does nothing here: a language has to be chosen.
    const int boutons[] = {LANGUE_EN, LANGUE_FR, LANGUE_DE, LANGUE_IT};
    int choix = -1;
    while (choix < 0) {
        GenSurvolBp(panel, 4, 0, boutons);
        SbTourModal(panel);
        int control = SbEvenementDe(panel);
        for (int i = 0; i < 4; ++i)
            if (control == boutons[i]) choix = i;
    }
    DiscardPanel(panel);
    SbGriser(parent, false);
    return choix;
}
