// Confirmation and information popups, and the background task their loops run.
#include "ui/Dialogs.h"

#include "lib/StrBuf.h"
#include "platform/cvi.h"
#include "ui/DialogsCommon.h"
#include "ui/Survol.h"

namespace {

SbTacheFondHook tacheFond = nullptr;
SbTourModalHook tourModal = nullptr;

using namespace fsabgen;

// The window's close box answers like the popup's way out: cancel, or its single button.
int FermeturePopup(int panel, int, int event, void*, int, int) {
    if (event != EVENT_CLOSE) return 0;
    int visible = 0;
    GetCtrlAttribute(panel, POPUP_ANNULER, ATTR_VISIBLE, &visible);
    QueueUserEvent(panel, visible ? POPUP_ANNULER : POPUP_OK);
    return 1;
}

int OuvrirPopup(int parent, const char* title, const char* text) {
    SbGriser(parent, true);
    int panel = LoadPanel(0, kSabGenResource, POPUP);
    if (panel < 0) {
        SbGriser(parent, false);
        return panel;
    }
    SetPanelAttribute(panel, ATTR_TITLE, title ? title : "");
    SetCtrlVal(panel, POPUP_TITRE, title ? title : "");
    SetCtrlVal(panel, POPUP_TEXTE, text ? text : "");
    InstallPanelCallback(panel, FermeturePopup, nullptr);
    return panel;
}

// Turns until one of the listed buttons is committed; the clock keeps running meanwhile.
int AttendreBouton(int panel, int count, const int* boutons) {
    DisplayPanel(panel);
    for (;;) {
        GenSurvolBp(panel, count, 0, boutons);
        SbTacheFond();
        SbTourModal(panel);
        int control = SbEvenementDe(panel);
        for (int i = 0; i < count; ++i)
            if (control == boutons[i]) return control;
    }
}

}  // namespace

void SbGriser(int parent, bool dimmed) {
    if (parent > 0) SetPanelAttribute(parent, ATTR_DIMMED, dimmed ? 1 : 0);
}

int SbEvenementDe(int panel) {
    int p = 0, control = 0;
    if (GetUserEvent(0, &p, &control) != EVENT_COMMIT || p != panel) return 0;
    return control;
}

void SbSetTacheFond(SbTacheFondHook hook) {
    tacheFond = hook;
}

void SbSetTourModal(SbTourModalHook hook) {
    tourModal = hook;
}

void SbTourModal(int panel) {
    if (tourModal) tourModal(panel);
}

void SbTacheFond() {
    if (tacheFond) tacheFond();
}

bool SbPopupValid(int parent, const char* title, const char* text, const char* confirmCaption,
                  const char* cancelCaption) {
    int panel = OuvrirPopup(parent, title, text);
    if (panel < 0) return false;
    SetCtrlAttribute(panel, POPUP_OK, ATTR_VISIBLE, 0);
    SetCtrlAttribute(panel, POPUP_VALIDER, ATTR_LABEL_TEXT, confirmCaption ? confirmCaption : "");
    SetCtrlAttribute(panel, POPUP_ANNULER, ATTR_LABEL_TEXT, cancelCaption ? cancelCaption : "");
    const int boutons[] = {POPUP_VALIDER, POPUP_ANNULER};
    int choisi = AttendreBouton(panel, 2, boutons);
    DiscardPanel(panel);
    SbGriser(parent, false);
    return choisi == POPUP_VALIDER;
}

void SbPopup(int parent, const char* title, const char* text, const char* caption) {
    int panel = OuvrirPopup(parent, title, text);
    if (panel < 0) return;
    SetCtrlAttribute(panel, POPUP_VALIDER, ATTR_VISIBLE, 0);
    SetCtrlAttribute(panel, POPUP_ANNULER, ATTR_VISIBLE, 0);
    SetCtrlAttribute(panel, POPUP_OK, ATTR_LABEL_TEXT, caption ? caption : "");
    const int boutons[] = {POPUP_OK};
    AttendreBouton(panel, 1, boutons);
    DiscardPanel(panel);
    SbGriser(parent, false);
}
