// The application's sticky error state, and the single routine that shows and
// clears it together with the link's (the link's error takes precedence).
#include "app/Q31Erreur.h"

#include "lib/StrBuf.h"
#include "link/SbComErreur.h"
#include "link/SbComLink.h"
#include "records/SbComRecord.h"
#include "ui/Dialogs.h"
#include "ui/Texts.h"

namespace {
int errorFlag = 0;
char errorTitle[200];
char errorText[200];
}  // namespace

void Q31FormerErreur(const char* title, const char* text) {
    errorFlag = 1;
    if (title) StrCopy(errorTitle, title);
    if (text) StrCopy(errorText, text);
}

namespace {
// The text loader reports through the error state.
[[maybe_unused]] const bool kTextsFailureRegistered = (Q31SetTextsFailure(Q31FormerErreur), true);
}  // namespace

int Q31Erreur() {
    return (errorFlag || SbComErreur()) ? 1 : 0;
}

const char* Q31ErreurTitre() {
    return errorTitle;
}
const char* Q31ErreurTexte() {
    return errorText;
}

int Q31GererErreur(int parent) {
    if (!Q31Erreur()) return 0;
    if (!SbComErreur()) {
        SbAfficherErreur(parent, errorTitle, errorText, "", GLabelBpG[2], false, GLabelBpG[6]);
    } else {
        SbComTexteErreur(errorTitle, errorText);
        int choice = SbAfficherErreur(parent, errorTitle, errorText, "", GLabelBpG[2], SbComG.linkState != 0,
                                      GLabelBpG[6]);
        if (choice == 2) {
            SbWait(parent, GMesComG[1]);
            SbComQuitter();
            SbFermerWait(true, 0);
        }
    }
    SbComDeplanter();
    errorFlag = 0;
    return 1;
}
