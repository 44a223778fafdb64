// The five buttons of the times table: refresh from the clock, save, load,
// print and clear.
#include <cstring>
#include <string>

#include "chrono/SbChrono.h"
#include "chrono/SbChronoLinkUse.h"
#include "lib/StrBuf.h"
#include "platform/cvi.h"
#include "records/SbComRecord.h"
#include "ui/Dialogs.h"
#include "ui/MainPanel.h"
#include "ui/Texts.h"

namespace {

constexpr const char* kDossier = "Chronos";
constexpr const char* kImpression = "Chronos\\Chrono.txt";
constexpr size_t kTailleEntete = 1024;

bool Confirmer(int message) {
    return SbPopupValid(Q31FIhmG, GMessageG[1], Q31TxtMesG[message], GLabelBpG[0], GLabelBpG[1]);
}

void Exporter(const char* path) {
    char header[kTailleEntete];
    Q31ChronosEntete(header, sizeof header);
    SbChronoSauverAscii(path, header, Q31TxtLabelG[26]);
}

}  // namespace

int FQ31ChronosEffacer(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT || !Confirmer(4)) return 0;
    SbChronoEffacer();
    SbChronoAfficher();
    return 0;
}

int FQ31ChronosMaj(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT || !Confirmer(5)) return 0;
    SbChronoEffacer();
    SbChronoAfficher();
    // The clock sends the run's times again; they come in one by one as new times.
    if (SbComG.linkState != 0) SbComChargerManche(short(SbComG.run.current));
    return 0;
}

int FQ31ChronosSauver(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    SetPanelAttribute(Q31FIhmG, ATTR_DIMMED, 1);
    char path[260] = "";
    if (FileSelectPopup(kDossier, "*.txt", "*.txt", Q31TxtMesG[6], VAL_SAVE_BUTTON, 0, 1, 1, 0, path) > 0) {
        Exporter(path);
        // "Course1.txt" also gives "Course1.q31tps", whole even where it is longer than a path
        // the dialog gives.
        const size_t n = strlen(path);
        if (n >= 3) SbChronoSauver((std::string(path, n - 3) + "q31tps").c_str());
    }
    SetPanelAttribute(Q31FIhmG, ATTR_DIMMED, 0);
    return 0;
}

int FQ31ChronosCharger(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    SetPanelAttribute(Q31FIhmG, ATTR_DIMMED, 1);
    char path[260] = "";
    if (FileSelectPopup(kDossier, "*.q31tps", "*.q31tps", Q31TxtMesG[7], VAL_LOAD_BUTTON, 0, 1, 1, 0, path) >
        0) {
        SbChronoCharger(path);
        SbChronoAfficher();
    }
    SetPanelAttribute(Q31FIhmG, ATTR_DIMMED, 0);
    return 0;
}

// The times export through the system's print dialog. Without a printer the operator is
// offered a PDF file instead; either way a failure says where the text file is.
int FQ31ChronosPrint(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    SetWaitCursor(1);
    Exporter(kImpression);
    SetWaitCursor(0);
    char dossier[260], natif[260], ou[540], message[800];
    GetDir(dossier);
    ToNativePath(kImpression, natif, sizeof natif);
    StrFormat(ou, sizeof ou, "%s/%s", dossier, natif);
    int resultat = 0;
    if (GetPrinterCount() > 0) {
        resultat = PrintTextFile(kImpression, Q31TxtLabelG[11], nullptr);
    } else {
        StrFormat(message, sizeof message, "%s\n%s", Q31TxtMesG[kQ31MesNoPrinter], ou);
        if (!SbPopupValid(Q31FIhmG, GMessageG[1], message, GLabelBpG[0], GLabelBpG[1])) return 0;
        char pdf[260] = "";
        SetPanelAttribute(Q31FIhmG, ATTR_DIMMED, 1);
        if (FileSelectPopup(kDossier, "Chrono.pdf", "*.pdf", Q31TxtMesG[kQ31MesPdfTitle], VAL_SAVE_BUTTON, 0,
                            1, 1, 1, pdf) > 0)
            resultat = PrintTextFile(kImpression, Q31TxtLabelG[11], pdf);
        SetPanelAttribute(Q31FIhmG, ATTR_DIMMED, 0);
    }
    if (resultat < 0) {
        StrFormat(message, sizeof message, "%s\n%s", Q31TxtMesG[kQ31MesPrintFailed], ou);
        SbPopup(Q31FIhmG, GMessageG[1], message, GLabelBpG[8]);
    }
    return 0;
}

void SbChronoEnregistrerCallbacks() {
    RegisterCallback("FSbChrTable", FSbChrTable);
    RegisterCallback("FSbChronoValider", FSbChronoValider);
    RegisterCallback("FSbChronoInvalider", FSbChronoInvalider);
    RegisterCallback("FSbChronoDanger", FSbChronoDanger);
    RegisterCallback("FQ31ChronosMaj", FQ31ChronosMaj);
    RegisterCallback("FQ31ChronosSauver", FQ31ChronosSauver);
    RegisterCallback("FQ31ChronosCharger", FQ31ChronosCharger);
    RegisterCallback("FQ31ChronosPrint", FQ31ChronosPrint);
    RegisterCallback("FQ31ChronosEffacer", FQ31ChronosEffacer);
}
