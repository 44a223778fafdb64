// The link's sticky error state: set by whatever meets a failure on the line,
// shown and cleared at fixed places by the application's error handling.
#include "link/SbComErreur.h"

#include "lib/StrBuf.h"
#include "link/SbComLink.h"
#include "platform/cvi.h"
#include "records/SbComRecord.h"

uint8_t SbComAckPendingG = 0;
double SbComSendTimeG = 0.0;

namespace {
int errorFlag = 0;
char errorTitle[200];
char errorText[200];
}  // namespace

int SbComErreur() {
    return errorFlag;
}

void SbComPoserErreur(const char* title, const char* text) {
    errorFlag = 1;
    if (title) StrCopy(errorTitle, title);
    if (text) StrCopy(errorText, text);
}

void SbComTexteErreur(char title[200], char text[200]) {
    StrCopy(title, 200, errorTitle);
    StrCopy(text, 200, errorText);
}

void SbComDeplanter() {
    // The whole lines already received are read first: a time the clock sent while the
    // operator read the error box must not go with the queues. A line failing its check is
    // dropped as the flush would drop it; a port failing meanwhile is seen by the next watch.
    if (SbComG.linkState != 0) RsDetectFlag(SbComLinkPort(), 0, nullptr);
    errorFlag = 0;
    SbComAckPendingG = 0;
    RsDropPartialLine();
    if (SbComG.linkState != 0) {
        FlushInQ(SbComLinkPort());
        FlushOutQ(SbComLinkPort());
    }
}
