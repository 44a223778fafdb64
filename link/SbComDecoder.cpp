// Dispatch of the clock's messages by type, and the decoders of the live state,
// acknowledgements, identity, runs and times.
#include "link/SbComDecoder.h"

#include <cstdio>
#include <cstring>

#include "lib/StrBuf.h"
#include "link/SbComErreur.h"
#include "link/SbComJournal.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "ui/Texts.h"

SbComPayload SbComMessageG;
int SbComVitesseCouranteG = 0;

namespace {

SbComTimeReceiver timeReceiver = nullptr;

void HandOverTime(const SbChronoRec* record) {
    if (timeReceiver) timeReceiver(record);
}

// "AK" ends the wait of the command in flight; "AK F" and "AK R" are refusals.
void DecoderAck(const SbComPayload& line) {
    char word[kSbComMessageMax];
    char status = 0;
    sscanf(line, "%s %c", word, &status);
    SbComAckPendingG = 0;
    if (status == 'F' || status == 'R') SbComJournalFaute(status == 'F' ? "refused: AK F" : "refused: AK R");
    if (status == 'F')
        SbComPoserErreur(GMesComG[4], GMesComG[6]);
    else if (status == 'R')
        SbComPoserErreur(GMesComG[4], GMesComG[7]);
}

void DecoderSN(const SbComPayload& line) {
    char word[kSbComMessageMax];
    char family[kSbComMessageMax] = {};
    char version[kSbComMessageMax] = {};
    int serial = 0;
    int n = sscanf(line, "%s %d %s %s", word, &serial, family, version);
    if (n >= 2) SbComG.serialNumber = serial;
    if (n >= 3) StrCopy(SbComG.family, family);
    if (n >= 4) StrCopy(SbComG.version, version);
}

void DecoderID(const SbComPayload& line) {
    char word[kSbComMessageMax];
    int serial = 0;
    if (sscanf(line, "%s %d", word, &serial) == 2) SbComG.serialNumber = serial;
}

// "OP <run> <next>" or "OP <run> T<next>": a run was opened.
void DecoderOP(const SbComPayload& line) {
    char word[kSbComMessageMax];
    int run = 0, next = 0;
    char mark = 0;
    if (sscanf(line, "%s %d %c", word, &run, &mark) < 2) return;
    SbComG.run.current = run;
    int n = mark == 'T' ? sscanf(line, "%s %d T%d", word, &run, &next)
                        : sscanf(line, "%s %d  %d", word, &run, &next);
    if (n == 3) SbComG.run.next = next;
}

void DecoderCL() {
    SbComG.run.current = 0;
}

void DecoderEtat(const SbComPayload& line) {
    char word[kSbComMessageMax];
    unsigned v = 0;
    if (sscanf(line, "%s %2X", word, &v) != 2) return;
    SbQ31CrG.status1 = (v & 0x02) != 0;
    SbQ31CrG.status2 = (v & 0x04) != 0;
    SbQ31CrG.status3 = (v & 0x08) != 0;
    SbQ31CrG.status4 = (v & 0x10) != 0;
}

// Hands: the hour hand comes in thirds of a light, positions wrap on the 60 lights.
void DecoderAiguilles(const SbComPayload& line) {
    char word[kSbComMessageMax];
    unsigned h = 0, m = 0;
    if (sscanf(line, "%s %2X%2X", word, &h, &m) != 3) return;
    SbQ31CrG.hourHand = int32_t((h / 3) % 60);
    SbQ31CrG.minuteHand = int32_t(m % 60);
}

bool Est(const char* type, const char* list[], size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (type[0] == list[i][0] && type[1] == list[i][1]) return true;
    return false;
}

const char* kTemps[] = {"T=", "T+", "T-", "T*", "TC", "TN", "A=", "A+", "A-", "A*", "AC", "AN"};

// Reads one numeric column field: blanks only (or nothing) give 0.
int32_t Colonne(const SbComPayload& line, int first, int width) {
    char field[8] = {};
    memcpy(field, line + first, size_t(width));
    bool blank = true;
    for (int i = 0; i < width && field[i]; ++i)
        if (field[i] != ' ') blank = false;
    int v = 0;
    if (!blank) sscanf(field, "%d", &v);
    return v;
}

}  // namespace

static const int kColorLevels[12][3] = {{0, 0, 0},    {100, 0, 0},   {0, 100, 0},   {100, 90, 0},
                                        {0, 0, 100},  {100, 0, 100}, {0, 100, 100}, {100, 100, 100},
                                        {100, 15, 0}, {0, 100, 15},  {100, 10, 20}, {30, 30, 100}};

void SbComDecoderAffichage(const SbComPayload& line) {
    char word[kSbComMessageMax];
    unsigned code = 0, a = 0, b = 0, c = 0;
    int n = sscanf(line, "%s %2X%2X%2X%2X", word, &code, &a, &b, &c) - 1;
    if (n < 2) return;
    switch (code) {
        case 0x8A:
            if (n < 4) return;
            SbQ31CrG.valueA = int32_t(a);
            SbQ31CrG.digitB = int32_t(b);
            SbQ31CrG.digitC = int32_t(c);
            break;
        case 0x80:
            if (n < 4) return;
            SbQ31CrG.valueA = int32_t(a);
            SbQ31CrG.digitB = Gen7SegmentsPattern(int(b));
            SbQ31CrG.digitC = Gen7SegmentsPattern(int(c));
            break;
        case 0x81:
            SbQ31CrG.lightColour = int32_t(a);
            break;
        case 0xF7: {
            if (n < 4) return;
            int index = 0;
            for (int i = 0; i < 12; ++i)
                if (int(a) == kColorLevels[i][0] && int(b) == kColorLevels[i][1] &&
                    int(c) == kColorLevels[i][2])
                    index = i;
            SbQ31CrG.lightColour = index;
            break;
        }
        default:
            break;
    }
}

void SbComDecoderLeds(const SbComPayload& line) {
    char word[kSbComMessageMax];
    unsigned code = 0, value = 0;
    if (sscanf(line, "%s %2X%2X", word, &code, &value) != 3) return;
    if (code >= 0x80 && code <= 0xBB)
        SbQ31CrG.lights[code - 0x80] = int32_t(value);
    else if (code == 0xF0)
        SbQ31CrG.lights.fill(int32_t(value));
    if (code == 0x80 && value != 0) SbQ31CrG.light0Flag = 1;
}

// A short message sets the fields it carries; a field missing or unreadable leaves its
// value as the last complete message set it.
void SbComDecoderSon(const SbComPayload& line) {
    char word[kSbComMessageMax];
    unsigned a = 0, b = 0, c = 0;
    const int n = sscanf(line, "%s %1X%2X%2X", word, &a, &b, &c);
    if (n < 2 || a != 1) return;
    SbCrG.soundRequest = 1;
    if (n >= 3) {
        SbCrG.soundMode = int32_t(b & 3);
        SbCrG.soundNumber = int32_t((b & 0x0C) >> 2);
    }
    if (n >= 4) SbCrG.soundDuration = int32_t(c * 10);
}

void SbComSetTimeReceiver(SbComTimeReceiver receiver) {
    timeReceiver = receiver;
}

void SbComDecoderTemps(const SbComPayload& line, SbChronoRec* r) {
    r->Type = line[0];
    r->Marque = line[1];
    r->Qualif = line[13];
    r->Canal = line[14];
    r->Concurrent = Colonne(line, 3, 4);
    r->Numero = Colonne(line, 8, 4);
    r->Heures = Colonne(line, 16, 2);
    r->Minutes = Colonne(line, 19, 2);
    r->Secondes = Colonne(line, 22, 2);
    r->Fraction = Colonne(line, 25, 5);
    r->Complement = Colonne(line, 31, 5);
}

void SbComTraiterTemps(const SbComPayload& line) {
    SbChronoRec r{};
    SbComDecoderTemps(line, &r);
    if (r.Canal >= '1' && r.Canal <= '4') SbCrG.channel[size_t(r.Canal - '1')] = 1;
    HandOverTime(&r);
}

void SbComTraiterIt(const SbComPayload& line) {
    SbComDecoderTemps(line, &SbChronoQ31ItG);
    SbChronoQ31ItG.Type = 'I';
    SbChronoQ31ItG.Marque = 'T';
}

void SbComDecoder(const SbComPayload& line) {
    const char* t = line;
    auto is = [t](const char* type) { return t[0] == type[0] && t[1] == type[1]; };
    if (is("AK"))
        DecoderAck(line);
    else if (is("&P")) {
        char word[kSbComMessageMax];
        unsigned no = 0;
        if (sscanf(line, "%s %u", word, &no) == 2) SbComDecoderParam(line, no);
    } else if (is("SN"))
        DecoderSN(line);
    else if (is("ID"))
        DecoderID(line);
    else if (is("OP"))
        DecoderOP(line);
    else if (is("CL"))
        DecoderCL();
    else if (is("&D"))
        SbComDecoderAffichage(line);
    else if (is("&C"))
        SbComDecoderLeds(line);
    else if (is("&E"))
        DecoderEtat(line);
    else if (is("&N"))
        DecoderAiguilles(line);
    else if (is("&S"))
        SbComDecoderSon(line);
    else if (is("TI"))
        SbComTraiterIt(line);
    else if (Est(t, kTemps, std::size(kTemps)))
        SbComTraiterTemps(line);
    // "DE", "DS" and unknown types: nothing to do.
}

void SbComDecoderMessage(const char* payload) {
    memset(SbComMessageG, 0, sizeof SbComMessageG);
    StrCopy(SbComMessageG, payload);
    SbComDecoder();
}

void SbComDecoder() {
    SbComDecoder(SbComMessageG);
}
void SbComDecoderParam(unsigned no) {
    SbComDecoderParam(SbComMessageG, no);
}
void SbComDecoderAffichage() {
    SbComDecoderAffichage(SbComMessageG);
}
void SbComDecoderLeds() {
    SbComDecoderLeds(SbComMessageG);
}
void SbComDecoderSon() {
    SbComDecoderSon(SbComMessageG);
}
void SbComDecoderGsm() {
    SbComDecoderGsm(SbComMessageG);
}
void SbComDecoderTemps(SbChronoRec* record) {
    SbComDecoderTemps(SbComMessageG, record);
}
void SbComTraiterTemps() {
    SbComTraiterTemps(SbComMessageG);
}
void SbComTraiterIt() {
    SbComTraiterIt(SbComMessageG);
}
