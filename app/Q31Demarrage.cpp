// Start-up steps that prepare the program folder and load both configuration records.
#include "app/Q31ConfigFile.h"
#include "app/Q31Main.h"
#include "link/SbComConfig.h"
#include "link/SbComJournal.h"
#include "platform/LocalSettings.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"

void Q31AllerAuDossier() {
    char dir[260];
    if (GetProjectDir(dir) == 0) SetDir(dir);
}

void Q31Preparer() {
    Q31AllerAuDossier();
    MakeDir("Chronos");
    MakeDir("Settings");
    MakeDir("Data");
    if (LocalSettingsInt(kSbComJournalReglage, 1)) SbComJournalDemarrer();
    SbComCharger(kSbComConfigFile, &SbComG);
    SbComRaz(&SbComG, &SbCrG);
    Q31Charger(kQ31ConfigFile, &Q31G);
    Q31Raz(&Q31G);
}
