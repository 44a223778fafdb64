// The error box: a recorded error's title and text, with one or two ways out.
#include "lib/StrBuf.h"
#include "platform/cvi.h"
#include "ui/Dialogs.h"
#include "ui/DialogsCommon.h"
#include "ui/Survol.h"

namespace {

using namespace fsabgen;

// Without a detail the box ends below its buttons.
constexpr int kHauteurZoneCourte = 144;
constexpr int kHauteurPanelCourt = 144;

// The close box counts as the first button: the error has been seen.
int FermetureErreur(int panel, int, int event, void*, int, int) {
    if (event != EVENT_CLOSE) return 0;
    QueueUserEvent(panel, ERREUR_BOUTON1);
    return 1;
}

void Remplir(int panel, const char* title, const char* text, const char* detail, const char* firstCaption,
             bool showSecond, const char* secondCaption) {
    char titre[200], texte[200];
    StrCopy(titre, title);
    StrCopy(texte, text);
    SetPanelAttribute(panel, ATTR_TITLE, titre);
    SetCtrlVal(panel, ERREUR_TITRE, titre);
    SetCtrlVal(panel, ERREUR_TEXTE, texte);
    SetCtrlVal(panel, ERREUR_DETAIL, detail ? detail : "");
    SetCtrlAttribute(panel, ERREUR_BOUTON1, ATTR_LABEL_TEXT, firstCaption ? firstCaption : "");
    SetCtrlAttribute(panel, ERREUR_BOUTON2, ATTR_VISIBLE, showSecond ? 1 : 0);
    if (showSecond)
        SetCtrlAttribute(panel, ERREUR_BOUTON2, ATTR_LABEL_TEXT, secondCaption ? secondCaption : "");
    if (!detail || !*detail) {
        SetCtrlAttribute(panel, ERREUR_ZONE, ATTR_HEIGHT, kHauteurZoneCourte);
        SetPanelAttribute(panel, ATTR_HEIGHT, kHauteurPanelCourt);
    }
}

}  // namespace

int SbAfficherErreur(int parent, const char* title, const char* text, const char* detail,
                     const char* firstCaption, bool showSecond, const char* secondCaption) {
    SetWaitCursor(0);
    SetMouseCursor(VAL_DEFAULT_CURSOR);
    SbGriser(parent, true);
    int panel = LoadPanel(0, kSabGenResource, ERREUR);
    if (panel < 0) {
        SbGriser(parent, false);
        return 0;
    }
    Remplir(panel, title, text, detail, firstCaption, showSecond, secondCaption);
    InstallPanelCallback(panel, FermetureErreur, nullptr);
    DisplayPanel(panel);

    // No background task here: the mirror stands still while an error is read.
    const int boutons[] = {ERREUR_BOUTON1, ERREUR_BOUTON2};
    int control = 0;
    for (;;) {
        GenSurvolBp(panel, 2, 0, boutons);
        SbTourModal(panel);
        int p = 0;
        if (GetUserEvent(0, &p, &control) == EVENT_COMMIT && p == panel) break;
    }
    DiscardPanel(panel);
    SbGriser(parent, false);
    return control == ERREUR_BOUTON2 ? 2 : control == ERREUR_BOUTON1 ? 1 : 0;
}
