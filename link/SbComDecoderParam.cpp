// Parameter replies ("&P nnn ..."): each number stores into its field of the link
// record or of the report record. Indexed replies outside their table are ignored.
#include <cstdio>
#include <cstring>

#include "lib/StrBuf.h"
#include "link/SbComDecoder.h"
#include "link/SbComGsmEth.h"
#include "link/SbComProg.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "ui/GenDate.h"

namespace {

// Reads "&P nnn %d" and stores the value when present.
void LireEntier(const SbComPayload& line, int32_t* target) {
    char word[kSbComMessageMax];
    unsigned no = 0;
    int v = 0;
    if (sscanf(line, "%s %u %d", word, &no, &v) == 3) *target = v;
}

void DecoderRun(const SbComPayload& line) {
    char word[kSbComMessageMax];
    unsigned no = 0;
    int v[6] = {};
    int n =
        sscanf(line, "%s %u %d %d %2d:%2d:%2d %5d", word, &no, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]) - 2;
    SbComRun& r = SbComG.run;
    int32_t* fields[6] = {&r.current, &r.next, &r.hour, &r.minute, &r.second, &r.dayNumber};
    for (int i = 0; i < n && i < 6; ++i) *fields[i] = v[i];
    if (n >= 6) {
        int day = r.day, month = r.month, year = r.year;
        GenGregorienDate(r.dayNumber, &day, &month, &year);
        r.day = day;
        r.month = month;
        r.year = year;
    }
}

SbComInput* EntreeInput(int k) {
    if (k < 1 || k > 4) return nullptr;
    return &SbComG.params.inputs[size_t(k - 1)];
}

void DecoderInput(const SbComPayload& line, unsigned no) {
    char word[kSbComMessageMax];
    unsigned n0 = 0;
    int k = 0, v = 0;
    if (sscanf(line, "%s %u %d %d", word, &n0, &k, &v) != 4) return;
    SbComInput* in = EntreeInput(k);
    if (!in) return;
    if (no == 4)
        in->timeBase = v;
    else if (no == 5)
        in->choice2 = v;
    else
        in->enabled = v;
}

void DecoderParam8(const SbComPayload& line) {
    char word[kSbComMessageMax];
    unsigned no = 0;
    int a = 0, b = 0, c = 0;
    int n = sscanf(line, "%s %u %1d%1d %d", word, &no, &a, &b, &c) - 2;
    if (n >= 1) SbComG.p8Digit1 = a;
    if (n >= 2) SbComG.p8Digit2 = b;
    if (n >= 3) SbComG.p8Number = c;
}

void DecoderSynchro(const SbComPayload& line) {
    char word[kSbComMessageMax];
    unsigned no = 0;
    int mode = 0, hour = 0, minute = 0, day = 0, month = 0, year = 0;
    unsigned status = 0;
    int n = sscanf(line, "%s %u %d %X %d:%d %d/%d/%d", word, &no, &mode, &status, &hour, &minute, &day,
                   &month, &year) -
            2;
    SbComSynchro& s = SbComG.synchro;
    if (n >= 1) s.mode = mode;
    if (n >= 2) s.status = int32_t(status);
    if (n >= 3) s.hour = hour;
    if (n >= 4) s.minute = minute;
    if (n >= 5) s.day = day;
    if (n >= 6) s.month = month;
    if (n >= 7) s.year = year;
}

void DecoderParam23(const SbComPayload& line) {
    char word[kSbComMessageMax];
    unsigned no = 0;
    int v[4] = {};
    int n = sscanf(line, "%s %u %d %d %d %d", word, &no, &v[0], &v[1], &v[2], &v[3]) - 2;
    for (int i = 0; i < n && i < 4; ++i) SbComG.params.inputs[size_t(i)].choice3 = v[i];
}

void DecoderExtension(const SbComPayload& line) {
    char word[kSbComMessageMax];
    unsigned no = 0;
    int k = 0, v = 0;
    if (sscanf(line, "%s %u %d %d", word, &no, &k, &v) != 4) return;
    if (k >= 1 && k <= 3) SbComG.extensions[size_t(k - 1)] = v;
}

void DecoderParam29(const SbComPayload& line) {
    char word[kSbComMessageMax];
    unsigned no = 0;
    int first = 0, second = 0;
    int n = sscanf(line, "%s %u %d %d", word, &no, &first, &second) - 2;
    if (n >= 1) SbComG.params.field3 = first;
    if (n >= 2) SbComG.params.field2 = second;
}

void DecoderEthernetAd(const SbComPayload& line) {
    char word[kSbComMessageMax];
    char text[kSbComMessageMax] = {};
    unsigned no = 0;
    int k = 0;
    if (sscanf(line, "%s %u %d %s", word, &no, &k, text) < 3) return;
    if (k == 0)
        StrCopy(SbComG.ethernet.address0, text);
    else if (k == 1)
        StrCopy(SbComG.ethernet.address1, text);
}

void DecoderGsmEtat(const SbComPayload& line) {
    char word[kSbComMessageMax];
    unsigned no = 0, bits = 0;
    int value = 0;
    int n = sscanf(line, "%s %u %x %d", word, &no, &bits, &value) - 2;
    if (n >= 1) SbCrG.gsmStatus = int32_t(bits);
    if (n >= 2) SbCrG.gsmValue = value;
}

void DecoderEthernetEtat(const SbComPayload& line) {
    char word[kSbComMessageMax];
    unsigned no = 0;
    unsigned v[4] = {};
    int n = sscanf(line, "%s %u %x %x %x %x", word, &no, &v[0], &v[1], &v[2], &v[3]) - 2;
    for (int i = 0; i < n && i < 4; ++i) SbCrG.ethernetStatus[size_t(i)] = int32_t(v[i]);
}

// GSM text in parts: part 0 (or less) starts a new text, later parts are appended.
void DecoderGsmTexte(const SbComPayload& line) {
    char word[kSbComMessageMax];
    unsigned no = 0;
    int part = 0;
    if (sscanf(line, "%s %u %d", word, &no, &part) != 3) return;
    const char* text = line + 9;
    char* target = SbCrG.gsmText;
    const size_t size = sizeof(SbCrG.gsmText);
    if (part <= 0) {
        StrCopy(target, size, text);
    } else {
        size_t used = strnlen(target, size - 1);
        StrCopy(target + used, size - used, text);
    }
    SbCrG.gsmTextPart = part;
    SbCrG.gsmTextReady = 1;
}

// Fields of a start program in the order of parameters 102..113.
int32_t* ChampProg(SbComProg& p, unsigned no) {
    switch (no) {
        case 102:
            return &p.p102;
        case 103:
            return &p.p103;
        case 104:
            return &p.p104;
        case 105:
            return &p.p105;
        case 106:
            return &p.p106;
        case 107:
            return &p.p107;
        case 108:
            return &p.p108;
        case 109:
            return &p.p109;
        case 110:
            return &p.p110;
        case 111:
            return &p.p111;
        case 112:
            return &p.p112;
        case 113:
            return &p.p113;
        default:
            return nullptr;
    }
}

void DecoderProg(const SbComPayload& line, unsigned no) {
    char word[kSbComMessageMax];
    unsigned n0 = 0;
    int prog = 0, v = 0;
    unsigned hex = 0;
    int n = no == 113 ? sscanf(line, "%s %u %d %x", word, &n0, &prog, &hex)
                      : sscanf(line, "%s %u %d %d", word, &n0, &prog, &v);
    if (n != 4 || prog < 0 || prog > 50) return;
    SbComProg& p = SbComG.progs[size_t(prog)];
    if (no == 113)
        v = int(int8_t(uint8_t(hex & 0xFF)));
    else if (no >= 107)
        v = int(int8_t(uint8_t(unsigned(v) & 0xFF)));  // signed seconds travel as a byte
    *ChampProg(p, no) = v;
}

}  // namespace

int32_t* SbComChampProg(SbComProg* prog, int no) {
    return no < 102 || no > 113 ? nullptr : ChampProg(*prog, unsigned(no));
}

void SbComDecoderParam(const SbComPayload& line, unsigned no) {
    SbComParams& p = SbComG.params;
    switch (no) {
        case 1:
            LireEntier(line, &p.precision);
            break;
        case 2:
            LireEntier(line, &SbComG.mode);
            break;
        case 3:
            DecoderRun(line);
            break;
        case 4:
        case 5:
        case 6:
            DecoderInput(line, no);
            break;
        case 7:
            LireEntier(line, &p.field1);
            break;
        case 8:
            DecoderParam8(line);
            break;
        case 9:
            LireEntier(line, &SbComG.synchro.timeZone);
            break;
        case 10:
            DecoderSynchro(line);
            break;
        case 12:
            LireEntier(line, &p.field10);
            break;
        case 16: {
            char word[kSbComMessageMax];
            unsigned n0 = 0;
            int code = 0;
            if (sscanf(line, "%s %u %d", word, &n0, &code) == 3) {
                p.speedCode = code;
                SbComVitesseCouranteG = code;
            }
            break;
        }
        case 17:
            LireEntier(line, &p.field5);
            break;
        case 18:
            LireEntier(line, &p.field6);
            break;
        case 19:
            LireEntier(line, &p.field7);
            break;
        case 20:
            LireEntier(line, &p.field8);
            break;
        case 21:
            LireEntier(line, &p.field9);
            break;
        case 23:
            DecoderParam23(line);
            break;
        case 28:
            DecoderExtension(line);
            break;
        case 29:
            DecoderParam29(line);
            break;
        case 30:
            SbComDecoderGsm(line);
            break;
        case 31:
            DecoderEthernetAd(line);
            break;
        case 34:
            DecoderGsmEtat(line);
            break;
        case 35:
            DecoderEthernetEtat(line);
            break;
        case 37:
            DecoderGsmTexte(line);
            break;
        case 101:
            LireEntier(line, &SbComG.currentProgram);
            break;
        default:
            if (no >= 102 && no <= 113) DecoderProg(line, no);
            break;
    }
}

void SbComDecoderGsm(const SbComPayload& line) {
    char word[kSbComMessageMax];
    unsigned no = 0;
    char key = 0;
    char text[32] = {};
    if (sscanf(line, "%s %u %c %31s", word, &no, &key, text) < 3) return;
    if (int32_t* number = SbComGsmNombre(&SbComG.gsm, key)) {
        int v = 0;
        if (sscanf(text, "%d", &v) == 1) *number = v;
    } else if (char* item = SbComGsmTexte(&SbComG.gsm, key)) {
        StrCopy(item, 32, text);
    }
}
