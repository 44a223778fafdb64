// The clock's command set: reads, writes, actions, inputs, keys, start-up reads.
#include "link/SbComCommandes.h"

#include <cstdarg>
#include <cstdio>

#include "lib/StrBuf.h"
#include "link/SbComDecoder.h"
#include "link/SbComErreur.h"
#include "link/SbComLink.h"
#include "link/SbComProg.h"
#include "platform/cvi.h"
#include "records/SbComRecord.h"

namespace {

constexpr unsigned kPayload = 128;

void EchangeFormat(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void EchangeFormat(const char* fmt, ...) {
    if (SbComG.linkState == 0) return;
    char payload[kPayload];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(payload, sizeof payload, fmt, ap);
    va_end(ap);
    payload[kPayload - 1] = 0;
    SbComEmission(payload);
    SbComAttendreAck();
}

const SbComInput& Entree(int k) {
    return SbComG.params.inputs[size_t(k - 1)];
}

// Writing the clock's speed: the clock switches at once, so the port is reopened
// at the new speed instead of waiting for an "AK" that would come at the old one.
void ChangerVitesse(int code) {
    Delay(0.1);
    CloseCom(SbComG.port);
    SbComG.speed = SbComVitesseDeCode(code);
    Delay(0.1);
    SbComOuvrir(1);
    SbComVitesseCouranteG = code;
}

}  // namespace

void SbComEchange(const char* payload) {
    if (SbComG.linkState == 0) return;
    SbComEmission(payload);
    SbComAttendreAck();
}

int SbComVitesseDeCode(int code) {
    switch (code) {
        case 0:
            return 2400;
        case 3:
            return 38400;
        case 4:
            return 57600;
        default:
            return 9600;
    }
}

void SbComLireSN() {
    EchangeFormat("SN");
}
void SbComLireID() {
    EchangeFormat("ID");
}
void SbComActiveMsg(int on) {
    EchangeFormat("EE %1d", on);
}
void SbComChargerManche(short run) {
    EchangeFormat("DL %02d", run);
}
void SbComLireParam(int no) {
    EchangeFormat("RP %03d", no);
}
void SbComLireExtension(int k) {
    EchangeFormat("RP %03d %1d", 28, k);
}

int SbComFormerEcrireParam(int no, char* out, unsigned size) {
    const SbComParams& p = SbComG.params;
    const SbComSynchro& s = SbComG.synchro;
    switch (no) {
        case 1:
            return StrFormat(out, size, "WP %03d %1d", no, p.precision), 1;
        case 7:
            return StrFormat(out, size, "WP %03d %1d", no, p.field1), 1;
        case 9:
            return StrFormat(out, size, "WP %03d %02d", no, s.timeZone), 1;
        case 12:
            return StrFormat(out, size, "WP %03d %1d", no, p.field10), 1;
        case 16:
            return StrFormat(out, size, "WP %03d %1d", no, p.speedCode), 1;
        case 17:
            return StrFormat(out, size, "WP %03d %1d", no, p.field5), 1;
        case 18:
            return StrFormat(out, size, "WP %03d %1d", no, p.field6), 1;
        case 19:
            return StrFormat(out, size, "WP %03d %1d", no, p.field7), 1;
        case 20:
            return StrFormat(out, size, "WP %03d %1d", no, p.field8), 1;
        case 21:
            return StrFormat(out, size, "WP %03d %02d", no, p.field9), 1;
        case 23:
            return StrFormat(out, size, "WP %03d %1d %1d %1d %1d", no, p.inputs[0].choice3,
                             p.inputs[1].choice3, p.inputs[2].choice3, p.inputs[3].choice3),
                   1;
        case 29:
            return StrFormat(out, size, "WP %03d %02d %02d", no, p.field3, p.field2), 1;
        default:
            return 0;
    }
}

void SbComEcrireParam(int no) {
    if (SbComG.linkState == 0) return;
    char payload[kPayload];
    if (!SbComFormerEcrireParam(no, payload, sizeof payload)) return;
    SbComEmission(payload);
    int code = SbComG.params.speedCode;
    if (no == 16 && SbComG.linkState == 1 && code != SbComVitesseCouranteG)
        ChangerVitesse(code);
    else
        SbComAttendreAck();
}

int SbComFormerCommande(int no, char* out, unsigned size) {
    const SbComSynchro& s = SbComG.synchro;
    switch (no) {
        case 1:
        case 2:
            return StrFormat(out, size, "WC %03d", no), 1;
        case 3:
            return StrFormat(out, size, "WC %03d %02d", no, SbComG.mode), 1;
        case 4:
            return StrFormat(out, size, "WC %03d %02d", no, SbComG.currentProgram), 1;
        case 5:
            return StrFormat(out, size, "WC %03d %05d", no, 58203), 1;
        case 7:
            return StrFormat(out, size, "WC %03d %02d %02d:%02d %02d/%02d/%02d", no, s.mode, s.hour, s.minute,
                             s.day, s.month, s.year),
                   1;
        default:
            return 0;
    }
}

void SbComCommande(int no) {
    if (SbComG.linkState == 0) return;
    char payload[kPayload];
    if (SbComFormerCommande(no, payload, sizeof payload)) SbComEchange(payload);
}

void SbComCommandeInput(int input) {
    EchangeFormat("WC %03d %02d", 8, input);
}
void SbComLireInputParam(int no, int k) {
    EchangeFormat("RP %03d %02d", no, k);
}

void SbComLireInput(int k) {
    for (int no : {4, 5, 6}) SbComLireInputParam(no, k);
}

void SbComEcrireInputParam(int no, int k) {
    if (k < 1 || k > 4) return;  // only the four inputs of the parameter block exist
    const SbComInput& in = Entree(k);
    if (no == 4)
        EchangeFormat("WP %03d %02d %04d", no, k, in.timeBase);
    else if (no == 5)
        EchangeFormat("WP %03d %02d %1d", no, k, in.choice2);
    else if (no == 6)
        EchangeFormat("WP %03d %02d %1d", no, k, in.enabled);
}

void SbComEcrireInput(int k) {
    for (int no : {4, 5, 6}) SbComEcrireInputParam(no, k);
}

void SbComEcrireNumConcurrent(int position, int competitor) {
    EchangeFormat("WP %03d %02d %4d", 26, position, competitor);
}

void Q31ComCommandeKey(int key) {
    EchangeFormat("WC %03d %d%02x%02x", 9, 0, key, 0);
}

void SbComCommandeChargerManche(short run, short target) {
    EchangeFormat("WC %03d %02d %04x", 12, run, unsigned(uint16_t(target)));
}

void Q31ComInitLireParam() {
    for (int no : {3, 2, 10, 101}) SbComLireParam(no);
    Q31ComLireProgParam(105, 0);
    SbComLireParam(1);
    SbComLireParam(8);
    for (int k = 1; k <= 3; ++k) SbComLireExtension(k);
}
