// Text export of the times: the run header and a 36-character table per record,
// for saving beside the ".q31tps" file and for printing from the system's viewer.
#include <string>

#include "chrono/SbChrono.h"
#include "chrono/SbChronoFormat.h"
#include "chrono/SbChronoLinkUse.h"
#include "lib/StrBuf.h"
#include "platform/cvi.h"
#include "records/ClockTables.h"  // mode and precision texts
#include "records/SbComRecord.h"
#include "ui/FileNotices.h"
#include "ui/GenDate.h"
#include "ui/Texts.h"

int Q31DerMancheChargeeG = 1;

namespace {

// The file is a text file: its line ends are the platform's ("wt" on Windows).
#ifdef _WIN32
constexpr const char* kFinLigne = "\r\n";
#else
constexpr const char* kFinLigne = "\n";
#endif

constexpr const char* kSeparateur = "|----------------------------------|";
void AjouterTexte(std::string& out, const char* text) {
    for (; *text; ++text) {
        if (*text == '\n')
            out += kFinLigne;
        else
            out += *text;
    }
}

void AjouterLigne(std::string& out, const char* line) {
    out += line;
    out += kFinLigne;
}

}  // namespace

void SbChronoSauverAscii(const char* path, const char* header, const char* timeTitle) {
    if (!path) return;
    std::string text;
    text.reserve(1024 + size_t(SbChronoNombre() + 4) * 38);
    AjouterTexte(text, header ? header : "");
    char line[128];
    AjouterLigne(text, kSeparateur);
    StrFormat(line, sizeof line, "|    |  N\xB0  |  C |%16s |", timeTitle ? timeTitle : "");
    AjouterLigne(text, line);
    AjouterLigne(text, kSeparateur);
    for (int i = 1; i <= SbChronoNombre(); ++i) {
        SbChronoLigneAscii(*SbChronoLire(i), line, sizeof line);
        AjouterLigne(text, line);
    }
    AjouterLigne(text, kSeparateur);
    if (FileWriteAtomic(path, text.data(), text.size()) != 0) SbNoteWriteFailure(path);
}

void Q31ChronosEntete(char* text, size_t size) {
    const SbComRun& run = SbComG.run;
    if (run.current == 0) {
        StrFormat(text, size, "%16s %05d \n%16s\n%16s %d \n%16s \n%16s \n%16s \n\n", Q31TxtLabelG[20],
                  SbComG.serialNumber, Q31TxtLabelG[21], Q31TxtLabelG[22], Q31DerMancheChargeeG,
                  Q31TxtLabelG[23], Q31TxtLabelG[24], Q31TxtLabelG[25]);
        return;
    }
    int day = 0, month = 0, year = 0;
    GenGregorienDate(run.dayNumber, &day, &month, &year);
    StrFormat(text, size,
              "%16s %05d \n%16s %s \n%16s %d \n%16s %s \n%16s %02d/%02d/%02d \n%16s %02d:%02d:%02d \n\n",
              Q31TxtLabelG[20], SbComG.serialNumber, Q31TxtLabelG[21], Q31TexteMode(SbComG.mode),
              Q31TxtLabelG[22], run.current, Q31TxtLabelG[23], Q31TextePrecision(SbComG.params.precision),
              Q31TxtLabelG[24], day, month, year, Q31TxtLabelG[25], run.hour, run.minute, run.second);
}
