// The serial link to the clock: opening, frames out, the acknowledgement wait,
// and the reception callback that checks and decodes each line.
#include "link/SbComLink.h"

#include <cstdio>
#include <cstring>

#include "chrono/SbChrono.h"
#include "lib/StrBuf.h"
#include "link/SbComDecoder.h"
#include "link/SbComErreur.h"
#include "link/SbComRecord.h"
#include "link/SbCr.h"
#include "platform/cvi.h"
#include "ui/Texts.h"

namespace {

int EcrireRuntime(const char* frame, int length) {
    return ComWrt(SbComG.port, frame, length);
}
int EtatRuntime() {
    return GetComStat(SbComG.port);
}
void EvenementsRuntime() {
    ProcessSystemEvents();
}
double HorlogeRuntime() {
    return Timer();
}

const SbComPortOps kRuntime = {EcrireRuntime, EtatRuntime, EvenementsRuntime, HorlogeRuntime};
const SbComPortOps* g_ops = &kRuntime;

// A line longer than a line may be is read in pieces of kLecture bytes; the pieces
// after the first are dropped up to its LF. (A piece of exactly kLecture bytes may
// or may not have ended at the LF; only a line of exactly that length is misjudged.)
constexpr int kLecture = 1024;
bool g_skipTail = false;
int g_echecOuverture = 0;  // why the port last failed to open (run-time layer code)

// A port that exists but may not be opened, one that is missing and one in use each
// get their own text, naming the device, with what the operator can do about it.
bool TexteEchecOuverture(char* out, size_t size) {
    int lead = 0, fix = 0;
    switch (g_echecOuverture) {
        case kRS232PortDenied:
            lead = kMesComPortDenied, fix = kMesComPortDeniedFix;
            break;
        case kRS232PortMissing:
            lead = kMesComPortMissing, fix = kMesComPortMissingFix;
            break;
        case kRS232PortBusy:
            lead = kMesComPortBusy, fix = kMesComPortBusyFix;
            break;
        default:
            return false;
    }
    char device[260];
    ComPortDevice(SbComG.port, device, sizeof device);
    StrFormat(out, size, "%s COM%d (%s).\n%s", GMesComG[lead], SbComG.port, device, GMesComG[fix]);
    return true;
}

// Polls the port's error status for at most 1 s. True when clear.
bool AttendreEtatLibre() {
    double start = g_ops->horloge();
    while (g_ops->etat() != 0 && g_ops->horloge() - start < 1.0) {
    }
    return g_ops->etat() == 0;
}

// Counts the integer conversions of a message entry; any other conversion (or '*')
// makes it unusable as a format.
bool UnSeulEntier(const char* fmt) {
    int count = 0;
    for (const char* p = fmt; *p; ++p) {
        if (*p != '%') continue;
        ++p;
        if (*p == '%') continue;
        while (*p && strchr("-+ #0", *p)) ++p;
        while (*p >= '0' && *p <= '9') ++p;
        if (*p == '.') {
            ++p;
            while (*p >= '0' && *p <= '9') ++p;
        }
        while (*p == 'h' || *p == 'l') ++p;
        if (!*p || !strchr("diuxXo", *p)) return false;
        ++count;
    }
    return count == 1;
}

}  // namespace

void SbComInstallerPort(const SbComPortOps* ops) {
    g_ops = ops ? ops : &kRuntime;
}

void SbComTexteAvecPort(const char* entry, int port, char* out, size_t size) {
    if (UnSeulEntier(entry)) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
        snprintf(out, size, entry, port);
#pragma GCC diagnostic pop
        out[size - 1] = 0;
    } else {
        StrFormat(out, size, "%s %d", entry, port);
    }
}

void SbComEnvoyerTrame(const char* payload) {
    if (!AttendreEtatLibre()) {
        SbComPoserErreur(GMesComG[9], GMesComG[12]);
        return;
    }
    char frame[kSbComTrameMax];
    int length = SbComFormerTrame(payload, frame, sizeof frame);
    int written = g_ops->ecrire(frame, length);
    if (written < 0) SbComPoserErreur(GMesComG[9], GetRS232ErrorString(written));
}

void SbComEmission(const char* payload) {
    if (SbComG.linkState == 0 || SbComAckPendingG) return;
    if (SbComG.linkState == 1) SbComEnvoyerTrame(payload);
    if (SbComErreur() == 0) {
        SbComAckPendingG = 1;
        SbComSendTimeG = g_ops->horloge();
    }
}

void SbComAttendreAck() {
    if (SbComG.linkState == 0) return;
    while (SbComAckPendingG && g_ops->horloge() - SbComSendTimeG < kSbComAttenteAck) g_ops->evenements();
    if (SbComAckPendingG) SbComPoserErreur(GMesComG[4], GMesComG[5]);
}

int RsReception() {
    if (!AttendreEtatLibre()) {
        SbComPoserErreur(GMesComG[9], GMesComG[12]);
        return -1;
    }
    char line[kLecture + 1] = {};
    int n = ComRdTerm(SbComG.port, line, kLecture, 10);
    if (n < 0) {
        SbComPoserErreur(GMesComG[9], GetRS232ErrorString(n));
        return -1;
    }
    bool tooLong = n > kSbComLigneMax;
    if (g_skipTail) {
        // The rest of an over-long line: already reported.
        g_skipTail = n == kLecture;
        return 0;
    }
    if (n == 0) return 0;
    g_skipTail = n == kLecture;
    return SbComAccepterLigne(line, n, tooLong, SbComMessageG) == 1 ? 1 : 0;
}

long SbComLignesDecodeesG = 0;

void RsDetectFlag(int port, int eventMask, void* callbackData) {
    while (SbComG.linkState == 1 && GetInQLen(SbComG.port) > 0) {
        int r = RsReception();
        if (r == 1) {
            SbComDecoder();
            ++SbComLignesDecodeesG;
        } else if (r < 0)
            break;  // the port itself failed: the next LF event tries again
    }
    // The background task keeps the times file current, but an error box or a
    // command's acknowledgement wait holds the main loop while the clock goes on
    // sending times: keep it current from here too, so a crash then loses none.
    SbChronoMaintenir();
}

void SbComSurveiller() {
    if (SbComG.linkState != 1 || SbComErreur()) return;
    if (g_ops->etat() != 0) SbComPoserErreur(GMesComG[9], GMesComG[12]);
}

int SbComOuvrirPort() {
    int result = 1;
    g_echecOuverture = 0;
    if (OpenComConfig(SbComG.port, "", SbComG.speed, 0, 8, 1, 512, 512) < 0) {
        g_echecOuverture = ReturnRS232Err();
    } else {
        SetComTime(SbComG.port, 1.0);
        if (ReturnRS232Err() >= 0) {
            SbComG.linkState = 1;
            FlushInQ(SbComG.port);
            FlushOutQ(SbComG.port);
            g_skipTail = false;
            InstallComCallback(SbComG.port, LWRS_RXFLAG, 0, 10, RsDetectFlag, nullptr);
            result = 0;
        }
    }
    if (SbComG.linkState != 0 && SbComErreur() == 0) {
        SbComEmission("SN");
        SbComAttendreAck();
        if (SbComErreur()) {
            SbComDeplanter();
            result = 2;
            SbComG.linkState = 0;
        }
    }
    return result;
}

void SbComErreurPort(int result) {
    char text[200];
    if (result > 1 || !TexteEchecOuverture(text, sizeof text))
        SbComTexteAvecPort(GMesComG[result <= 1 ? 10 : 11], SbComG.port, text, sizeof text);
    SbComPoserErreur(GMesComG[3], text);
}

int SbComOuvrir(int mode) {
    SbComG.linkState = 0;
    SbComG.simulation = 0;
    SbComAckPendingG = 0;
    int result = 0;
    if (mode == 1) {
        result = SbComOuvrirPort();
        if (result == 0) {
            SbComG.linkState = 1;
        } else {
            SbComG.linkState = 0;
            CloseCom(SbComG.port);
            SbComErreurPort(result);
        }
    } else if (mode == 2) {
        SbComG.linkState = 2;
    }
    return SbComG.linkState == 0 || result != 0 ? 1 : 0;
}

void SbComQuitter() {
    // State 2 runs no timer callbacks in this program, so only the port needs closing.
    if (SbComG.linkState == 1) CloseCom(SbComG.port);
    SbComRaz(&SbComG, &SbCrG);
}
