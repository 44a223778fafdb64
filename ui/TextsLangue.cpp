// Loading every text table of the configured language, recording a failure.
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "ui/Texts.h"

namespace {
Q31TextsFailureFn textsFailure = nullptr;

void Q31FormerErreur(const char* title, const char* text) {
    if (textsFailure) textsFailure(title, text);
}
}  // namespace

void Q31SetTextsFailure(Q31TextsFailureFn report) {
    textsFailure = report;
}

void Q31ChargerTextes() {
    const int language = Q31G.language;
    uint8_t st = 0;
    for (auto charger :
         {GenChargerTextes, GenChargerTextesCom, Q31ChargerLabels, Q31ChargerMessages, Q12ChargerTxt}) {
        st = charger(language);
        if (st != 0) break;
    }
    SetUnusablePathText(Q31TxtMesG[kQ31MesPathUnusable]);
    SetDialogLanguage(GenCodeLangue(language));
    if (st == 2)
        Q31FormerErreur("Start Clock QS-310 INTERFACE FAILURE", "Reading text files incomplete !");
    else if (st == 1)
        Q31FormerErreur("Start Clock QS-310 INTERFACE FAILURE", "Opening text files is impossible !");
}
