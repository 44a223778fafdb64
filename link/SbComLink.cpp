// The serial link to the clock: opening, frames out, the acknowledgement wait,
// and the reception callback that checks and decodes each line.
#include "link/SbComLink.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "lib/StrBuf.h"
#include "link/SbComConfig.h"
#include "link/SbComDecoder.h"
#include "link/SbComErreur.h"
#include "link/SbComJournal.h"
#include "platform/cvi.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "ui/Texts.h"

namespace {

// The port number of the network connection, while the link runs over it.
int g_reseau = 0;

// What the connection over the network answered, besides a NET_ code of the layer.
constexpr int kSansReponse = 2;  // connected, but no clock answered "SN"

int EcrireRuntime(const char* frame, int length) {
    return ComWrt(SbComLinkPort(), frame, length);
}
int EtatRuntime() {
    return GetComStat(SbComLinkPort());
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
    const int n = ComRdTerm(SbComLinkPort(), buffer, maxCount, 10);
    *lineEnded = n >= 0 && n < maxCount && ReturnRS232Err() == 0;
    return n;
}
int EnAttenteRuntime() {
    return GetInQLen(SbComLinkPort());
}

const SbComPortOps kRuntime = {EcrireRuntime,  EtatRuntime, EvenementsRuntime,
                               HorlogeRuntime, LireRuntime, EnAttenteRuntime};
SbComPortOps g_installed = kRuntime;
const SbComPortOps* g_ops = &kRuntime;

// The port is read in pieces of this size; the line reader joins them, so the size
// only sets how many reads a long burst of garbage takes.
constexpr int kLecture = 1024;
SbComLineReader g_reader;
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
    double start = g_ops->clock();
    while (g_ops->status() != 0 && g_ops->clock() - start < 1.0) {
    }
    return g_ops->status() == 0;
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

// "address:port" of the network link, as the texts and the journal name it.
void Adresse(char* out, size_t size) {
    StrFormat(out, size, "%s:%d", SbComG.netAddress, int(SbComG.netPort));
}

// A GMesComG entry of the network with the address and port in it.
void TexteReseau(int entry, char* out, size_t size) {
    char adresse[48];
    Adresse(adresse, sizeof adresse);
    SbComTexteAvecAdresse(GMesComG[entry], adresse, out, size);
}

// The line itself failed (its status stays set, a read or a write failed, the port
// went away): the serial port's error, or the network connection lost, with its address.
void ErreurLigne(const char* texteSerie, const char* journal) {
    if (SbComG.linkState == 2) {
        char text[200];
        TexteReseau(kMesComNetLost, text, sizeof text);
        SbComJournalFaute("connection lost");
        SbComPoserErreur(GMesComG[kMesComNetTitle], text);
        return;
    }
    char note[96];
    StrFormat(note, sizeof note, "port error: %s", journal);
    SbComJournalFaute(note);
    SbComPoserErreur(GMesComG[9], texteSerie);
}

void JournalLine(const char* text, int length, bool tooLong, SbComLineStatus status) {
    SbComJournalRecu(text, length, tooLong, status == SbComLineStatus::kAccepted);
}

// The steps once a port (serial or network) is open: its queues emptied, the line
// reader restarted, the reception callback installed.
void Preparer(int port) {
    FlushInQ(port);
    FlushOutQ(port);
    g_reader.Reset();
    InstallComCallback(port, LWRS_RXFLAG, 0, 10, RsDetectFlag, nullptr);
}

// Asks the clock for its identity. False when it did not answer: the queues are
// emptied and the link closed again (state 0).
bool Identifier() {
    SbComEmission("SN");
    SbComAttendreAck();
    if (!SbComErreur()) return true;
    SbComDeplanter();
    SbComG.linkState = 0;
    return false;
}

// 0 success, a NET_ code when the connection failed, kSansReponse when no clock answered.
int OuvrirReseau() {
    char adresse[48], note[96];
    Adresse(adresse, sizeof adresse);
    g_reseau = 0;
    const int port = OpenComNetwork(SbComG.netAddress, SbComG.netPort, kSbComAttenteAck);
    if (port < 0) return port;
    g_reseau = port;
    StrFormat(note, sizeof note, "connected to %s", adresse);
    SbComJournalLien(note);
    SetComTime(port, 1.0);
    SbComG.linkState = 2;
    Preparer(port);
    if (SbComErreur() == 0 && !Identifier()) return kSansReponse;
    return 0;
}

struct EchecReseau {
    int code, entry;
    const char* journal;
};
constexpr EchecReseau kEchecsReseau[] = {
    {NET_REFUSED, kMesComNetRefused, "connection refused"},
    {NET_UNREACHABLE, kMesComNetUnreachable, "unreachable"},
    {NET_UNKNOWN_HOST, kMesComNetUnknownHost, "name not resolved"},
    {NET_NO_ANSWER, kMesComNetNoAnswer, "no answer to the connection within 5 s"},
    {kSansReponse, kMesComNetSilent, "connected, but no answer to SN"},
};

void ErreurReseau(int result) {
    const EchecReseau* e = &kEchecsReseau[1];  // any other failure: the address cannot be reached
    for (const EchecReseau& r : kEchecsReseau)
        if (r.code == result) e = &r;
    char adresse[48], note[128], text[200];
    Adresse(adresse, sizeof adresse);
    StrFormat(note, sizeof note, "%s: %s", adresse, e->journal);
    SbComJournalLien(note);
    TexteReseau(e->entry, text, sizeof text);
    SbComPoserErreur(GMesComG[kMesComNetTitle], text);
}

}  // namespace

int SbComLinkPort() {
    return SbComG.linkState == 2 ? g_reseau : SbComG.port;
}

void SbComInstallerPort(const SbComPortOps* ops) {
    if (!ops) {
        g_ops = &kRuntime;
        return;
    }
    g_installed = *ops;
    if (!g_installed.write) g_installed.write = kRuntime.write;
    if (!g_installed.status) g_installed.status = kRuntime.status;
    if (!g_installed.pumpEvents) g_installed.pumpEvents = kRuntime.pumpEvents;
    if (!g_installed.clock) g_installed.clock = kRuntime.clock;
    if (!g_installed.read) g_installed.read = kRuntime.read;
    if (!g_installed.waiting) g_installed.waiting = kRuntime.waiting;
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

void SbComTexteAvecAdresse(const char* entry, const char* address, char* out, size_t size) {
    const char* at = strstr(entry, "%s");
    const char* percent = strchr(entry, '%');
    if (at && at == percent && !strchr(at + 2, '%'))
        StrFormat(out, size, "%.*s%s%s", int(at - entry), entry, address, at + 2);
    else
        StrFormat(out, size, "%s %s", entry, address);
}

void SbComEnvoyerTrame(const char* payload) {
    if (!AttendreEtatLibre()) {
        ErreurLigne(GMesComG[12], "line status");
        return;
    }
    char frame[kSbComTrameMax];
    int length = SbComFormerTrame(payload, frame, sizeof frame);
    SbComJournalEnvoi(frame, length);
    int written = g_ops->write(frame, length);
    if (written < 0) ErreurLigne(GetRS232ErrorString(written), GetRS232ErrorString(written));
}

void SbComEmission(const char* payload) {
    if (SbComG.linkState == 0 || SbComAckPendingG) return;
    SbComEnvoyerTrame(payload);
    if (SbComErreur() == 0) {
        SbComAckPendingG = 1;
        SbComSendTimeG = g_ops->clock();
    }
}

void SbComAttendreAck() {
    if (SbComG.linkState == 0) return;
    while (SbComAckPendingG && g_ops->clock() - SbComSendTimeG < kSbComAttenteAck) g_ops->pumpEvents();
    if (!SbComAckPendingG) return;
    // Noted once per command: the waits that end at once after it wrote nothing.
    static double journalise = -1;
    if (SbComSendTimeG != journalise) SbComJournalFaute("no acknowledgement within 5 s");
    journalise = SbComSendTimeG;
    SbComPoserErreur(GMesComG[4], GMesComG[5]);
}

int RsReception() {
    if (!AttendreEtatLibre()) {
        ErreurLigne(GMesComG[12], "line status");
        return -1;
    }
    char piece[kLecture];
    bool lineEnded = false;
    const int n = g_ops->read(piece, kLecture, &lineEnded);
    if (n < 0) {
        ErreurLigne(GetRS232ErrorString(n), GetRS232ErrorString(n));
        return -1;
    }
    return SbComRecordLineStatus(g_reader.TakePiece(piece, n, lineEnded, SbComMessageG, JournalLine));
}

int SbComRecordLineStatus(SbComLineStatus status) {
    if (status == SbComLineStatus::kRejected) SbComPoserErreur(GMesComG[9], GMesComG[13]);
    return status == SbComLineStatus::kAccepted ? 1 : 0;
}

int SbComVerifierLigne(const char* line, int length, char message[kSbComMessageMax]) {
    return SbComRecordLineStatus(SbComCheckLine(line, length, false, message));
}

int SbComAccepterLigne(const char* text, int length, bool tooLong, char message[kSbComMessageMax]) {
    return SbComRecordLineStatus(SbComCheckLine(text, length, tooLong, message));
}

void RsDropPartialLine() {
    g_reader.Reset();
}

long SbComLignesDecodeesG = 0;

void RsDetectFlag(int port, int eventMask, void* callbackData) {
    while (SbComG.linkState != 0 && g_ops->waiting() > 0) {
        int r = RsReception();
        if (r == 1) {
            SbComDecoder();
            ++SbComLignesDecodeesG;
        } else if (r < 0)
            break;  // the port itself failed: the next LF event tries again
    }
}

void SbComSurveiller() {
    SbComJournalSurveiller();
    if (SbComG.linkState == 0 || SbComErreur()) return;
    if (g_ops->status() != 0) ErreurLigne(GMesComG[12], "port lost");
}

int SbComOuvrirPort() {
    int result = 1;
    g_echecOuverture = 0;
    if (OpenComConfig(SbComG.port, "", SbComG.speed, 0, 8, 1, 512, 512) < 0) {
        g_echecOuverture = ReturnRS232Err();
    } else {
        SetComTime(SbComG.port, 1.0);
        if (ReturnRS232Err() >= 0) {
            char note[64];
            StrFormat(note, sizeof note, "COM%d opened at %d bit/s", int(SbComG.port), int(SbComG.speed));
            SbComJournalLien(note);
            SbComG.linkState = 1;
            Preparer(SbComG.port);
            result = 0;
        }
    }
    if (SbComG.linkState != 0 && SbComErreur() == 0 && !Identifier()) result = 2;
    return result;
}

void SbComErreurPort(int result) {
    char text[200], note[64];
    StrFormat(note, sizeof note, "COM%d: %s", int(SbComG.port),
              result <= 1 ? "cannot be opened" : "no answer to SN");
    SbComJournalLien(note);
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
        result = OuvrirReseau();
        if (result != 0) {
            SbComG.linkState = 0;
            if (g_reseau != 0) CloseCom(g_reseau);
            ErreurReseau(result);
        }
    }
    return SbComG.linkState == 0 || result != 0 ? 1 : 0;
}

void SbComQuitter() {
    if (SbComG.linkState != 0) {
        CloseCom(SbComLinkPort());
        SbComJournalLien("closed");
    }
    SbComRaz(&SbComG, &SbCrG);
}
