// The application record's file "QS-310_V1-1.q31cnf": load and save.
#include "app/Q31ConfigFile.h"

#include "platform/cvi.h"
#include "ui/FileNotices.h"

void Q31Sauver(const char* path, const Q31Config* record) {
    if (FileWriteAtomic(path, record, sizeof *record) != 0) SbNoteWriteFailure(path);
}

void Q31Charger(const char* path, Q31Config* record) {
    // A short file fills only the first bytes; the rest stays as it was.
    if (FileReadUpTo(path, record, sizeof *record) < 0) {
        Q31Defaut(record);
        Q31Sauver(path, record);
    }
    Q31FsdParamTerminer(&record->secondDisplay);
}
