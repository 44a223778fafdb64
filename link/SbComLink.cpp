// The serial link to the clock: opening, frames out, the acknowledgement wait,
// and the reception callback that checks and decodes each line.
#include "link/SbComLink.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

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
// The acknowledgement wait sleeps until the clock's answer arrives (the serial callback
// is an event) or its time is up, instead of turning without rest.
void EvenementsRuntime() {
    SetNextWake(std::min(kSbComAttenteAck, kSbComAttenteAck - (Timer() - SbComSendTimeG)));
    ProcessSystemEvents();
}
double HorlogeRuntime() {
    return Timer();
}
int LireRuntime(char* buffer, int maxCount, bool* lineEnded) {
    const int n = ComRdTerm(SbComG.port, buffer, maxCount, 10);
    *lineEnded = n >= 0 && n < maxCount && ReturnRS232Err() == 0;
    return n;
}
int EnAttenteRuntime() {
    return GetInQLen(SbComG.port);
}

const SbComPortOps kRuntime = {EcrireRuntime,  EtatRuntime, EvenementsRuntime,
                               HorlogeRuntime, LireRuntime, EnAttenteRuntime};
SbComPortOps g_installed = kRuntime;
const SbComPortOps* g_ops = &kRuntime;

// The port is read in pieces of this size; the line reader joins them, so the size
// only sets how many reads a long burst of garbage takes.
constexpr int kLecture = 1024;
SbComLecteurLignes g_lecteur;

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
    if (!ops) {
        g_ops = &kRuntime;
        return;
    }
    g_installed = *ops;
    if (!g_installed.ecrire) g_installed.ecrire = kRuntime.ecrire;
    if (!g_installed.etat) g_installed.etat = kRuntime.etat;
    if (!g_installed.evenements) g_installed.evenements = kRuntime.evenements;
    if (!g_installed.horloge) g_installed.horloge = kRuntime.horloge;
    if (!g_installed.lire) g_installed.lire = kRuntime.lire;
    if (!g_installed.enAttente) g_installed.enAttente = kRuntime.enAttente;
    g_ops = &g_installed;
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
    char piece[kLecture];
    bool lineEnded = false;
    const int n = g_ops->lire(piece, kLecture, &lineEnded);
    if (n < 0) {
        SbComPoserErreur(GMesComG[9], GetRS232ErrorString(n));
        return -1;
    }
    return g_lecteur.Morceau(piece, n, lineEnded, SbComMessageG);
}

void RsDropPartialLine() {
    g_lecteur.Raz();
}

long SbComLignesDecodeesG = 0;

void RsDetectFlag(int port, int eventMask, void* callbackData) {
    while (SbComG.linkState == 1 && g_ops->enAttente() > 0) {
        int r = RsReception();
        if (r == 1) {
            SbComDecoder();
            ++SbComLignesDecodeesG;
        } else if (r < 0)
            break;  // the port itself failed: the next LF event tries again
    }
}

void SbComSurveiller() {
    if (SbComG.linkState != 1 || SbComErreur()) return;
    if (g_ops->etat() != 0) SbComPoserErreur(GMesComG[9], GMesComG[12]);
}

int SbComOuvrirPort() {
    int result = 1;
    if (OpenComConfig(SbComG.port, "", SbComG.speed, 0, 8, 1, 512, 512) >= 0) {
        SetComTime(SbComG.port, 1.0);
        if (ReturnRS232Err() >= 0) {
            SbComG.linkState = 1;
            FlushInQ(SbComG.port);
            FlushOutQ(SbComG.port);
            g_lecteur.Raz();
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
    char text[128];
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
