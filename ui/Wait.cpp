// The wait box: stays up, above its parent, while the program talks to the clock.
#include "lib/StrBuf.h"
#include "platform/cvi.h"
#include "ui/Dialogs.h"
#include "ui/DialogsCommon.h"

namespace {

bool attenteOuverte = false;
int attentePanel = -1;  // -1 also while open when the panel could not be loaded
int attenteParent = 0;
char attenteTexte[200];

}  // namespace

void SbWait(int parent, const char* text) {
    StrCopy(attenteTexte, text);
    if (attenteOuverte) {
        if (attentePanel > 0) {
            SetCtrlVal(attentePanel, fsabgen::WAIT_TEXTE, attenteTexte);
            ProcessDrawEvents();  // the caller is busy and will not return to the event loop
        }
        return;
    }
    attenteOuverte = true;
    SetWaitCursor(1);
    attenteParent = parent;
    SbGriser(parent, true);
    int panel = LoadPanel(parent > 0 ? parent : 0, kSabGenResource, fsabgen::WAIT);
    if (panel < 0) return;
    attentePanel = panel;
    SetCtrlVal(panel, fsabgen::WAIT_TEXTE, attenteTexte);
    DisplayPanel(panel);
    ProcessDrawEvents();
}

void SbFermerWait(bool undimParent, double delay) {
    if (!attenteOuverte) return;
    if (delay > 0) Delay(delay);
    if (attentePanel > 0) DiscardPanel(attentePanel);
    attentePanel = -1;
    attenteOuverte = false;
    if (undimParent) SbGriser(attenteParent, false);
    SetWaitCursor(0);
}

bool SbWaitOuvert() {
    return attenteOuverte;
}
