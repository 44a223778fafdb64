// Program entry and exit: prepares the program folder, loads both configuration
// records, asks for the language on the very first start, loads the texts, runs
// the main window, and saves everything on the way out.
#include "app/Q31Main.h"

#include <unistd.h>

#include "app/Q31ConfigFile.h"
#include "app/Q31Erreur.h"
#include "app/Q31Ihm.h"
#include "app/Q31Modules.h"
#include "chrono/SbChrono.h"
#include "link/SbComConfig.h"
#include "link/SbComJournal.h"
#include "platform/LocalSettings.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "ui/Dialogs.h"
#include "ui/FileNotices.h"
#include "ui/Texts.h"

void Q31Terminer() {
    Q31GererErreur(0);
    SbComQuitter();
    SbComJournalArreter();
    Q31Sauver(kQ31ConfigFile, &Q31G);
    SbComSauver(kSbComConfigFile, &SbComG);
    Q31GererErreur(0);
    SbShowFileNotices(0);  // files that could not be written on the way out
}

// Another run of the program works in this folder (a second start, a double click too many).
// Going on would write the same files: the times file started over, and at the end one run's
// settings over the other's. The operator is told in their language; no file is written.
static void DejaEnCours() {
    Q31AllerAuDossier();
    Q31Defaut(&Q31G);
    FileReadUpTo(kQ31ConfigFile, &Q31G, sizeof Q31G);
    Q31ChargerTextes();
    MessagePopup(GMessageG[1], Q31TxtMesG[kQ31MesAlreadyRunning]);
}

// The system ends the program (a shutdown, a logout, Ctrl+C in its terminal): what quitting
// saves is saved, without a question (no one is there to answer it), and the program ends.
static void FinDemandee(int) {
    SbChronoSaveNow();
    SbComJournalArreter();
    Q31Sauver(kQ31ConfigFile, &Q31G);
    SbComSauver(kSbComConfigFile, &SbComG);
    _exit(0);
}

int Q31Main(int argc, char** argv) {
    if (InitCVIRTE(argc, argv) == 0) return -1;
    if (HoldProgramFolder() == 1) {
        DejaEnCours();
        CloseCVIRTE();
        return 1;
    }
    SetLocalSettingsFailureHook(SbNoteLocalSettingsNotWritten);
    Q31EnregistrerCallbacks();
    Q31Preparer();
    SetEndRequestHook(FinDemandee);
    if (Q31G.language == 255) Q31G.language = uint8_t(SbChoixLangue(0));
    Q31ChargerTextes();
    if (!Q31Erreur()) Q31Ihm();
    SetEndRequestHook(nullptr);
    Q31Terminer();
    CloseCVIRTE();
    return 0;
}
