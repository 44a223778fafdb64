// Every module registers the callbacks its panels name, before any panel loads.
#include "app/Q31Modules.h"
#include "display/Q31FsdParamDlg.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "settings/Q31FKey.h"
#include "settings/Q31FSet.h"

void Q31EnregistrerModules() {
    SbChronoEnregistrerCallbacks();
    Q12EnregistrerCallbacks();
    Q31FsdEnregistrerCallbacks();
    Q31FSetEnregistrerCallbacks();
    Q31FKeyEnregistrerCallbacks();
    RegisterCallback("FQ31SimuInput", FQ31SimuInput);
    Q31SimuSetInputControls(fq31::MAIN_INPUT_1, fq31::MAIN_INPUT_2);
}
