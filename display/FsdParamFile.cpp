// The second display's ".q31fsd" exchange file: load and save.
#include "display/FsdParamFile.h"

#include "platform/cvi.h"
#include "ui/FileNotices.h"

void Q31FsdParamSauver(const char* path, const FsdParam* record) {
    if (FileWriteAtomic(path, record, sizeof *record) != 0) SbNoteWriteFailure(path);
}

void Q31FsdParamCharger(const char* path, FsdParam* record) {
    if (FileReadUpTo(path, record, sizeof *record) < 0) Q31FsdParamDefaut(record, true);
    Q31FsdParamTerminer(record);
}
