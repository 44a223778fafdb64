// Start-up steps that prepare the program folder and load both configuration records.
#include "app/Q31Config.h"
#include "app/Q31Main.h"
#include "link/SbComJournal.h"
#include "link/SbComRecord.h"
#include "link/SbCr.h"
#include "platform/LocalSettings.h"
#include "platform/cvi.h"

void Q31Preparer() {
    char dir[260];
    if (GetProjectDir(dir) == 0) SetDir(dir);
    MakeDir("Chronos");
    MakeDir("Settings");
    MakeDir("Data");
    if (LocalSettingsInt(kSbComJournalReglage, 1)) SbComJournalDemarrer();
    SbComCharger(kSbComConfigFile, &SbComG);
    SbComRaz(&SbComG, &SbCrG);
    Q31Charger(kQ31ConfigFile, &Q31G);
    Q31Raz(&Q31G);
}
