// The GSM and Ethernet modules' settings over the link.
#include "link/SbComGsmEth.h"

#include <cstdarg>
#include <cstdio>

#include "lib/StrBuf.h"
#include "link/SbComCommandes.h"
#include "records/SbCr.h"

namespace {

// Formats into a 256-byte payload and exchanges it.
void Echange(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void Echange(const char* fmt, ...) {
    if (SbComG.linkState == 0) return;
    char payload[256];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(payload, sizeof payload, fmt, ap);
    va_end(ap);
    payload[sizeof payload - 1] = 0;
    SbComEchange(payload);
}

void PayloadTexteGsm(char key, const char* text, char* out, size_t size) {
    char item[32];
    StrCopy(item, text);  // an item holds at most 31 characters
    StrFormat(out, size, "WP %03d %c %s", 30, key, item);
}

void EcrireItem(char key) {
    if (SbComG.linkState == 0) return;
    char payload[256];
    if (SbComPayloadGsm(key, payload, sizeof payload)) SbComEchange(payload);
}

}  // namespace

char* SbComGsmTexte(SbComGsm* gsm, char key) {
    switch (key) {
        case '1':
            return gsm->first[0].text[0];
        case '2':
            return gsm->first[0].text[1];
        case '3':
            return gsm->first[0].text[2];
        case 'a':
            return gsm->first[1].text[0];
        case 'b':
            return gsm->first[1].text[1];
        case 'c':
            return gsm->first[1].text[2];
        case '4':
            return gsm->second[0].text[0];
        case '7':
            return gsm->second[0].text[1];
        case '8':
            return gsm->second[0].text[2];
        case 'd':
            return gsm->second[1].text[0];
        case 'f':
            return gsm->second[1].text[1];
        case 'g':
            return gsm->second[1].text[2];
        case '6':
            return gsm->common;
        default:
            return nullptr;
    }
}

int32_t* SbComGsmNombre(SbComGsm* gsm, char key) {
    if (key == '5') return &gsm->second[0].number;
    if (key == 'e') return &gsm->second[1].number;
    return nullptr;
}

void SbComLireEthernetAd(int k) {
    Echange("RP %03d %1d", 31, k);
}

void SbComPayloadEthernet(int k, const char* address, char* out, size_t size) {
    char text[24];
    StrCopy(text, address);  // an address holds at most 23 characters
    StrFormat(out, size, "WP %03d %1d %s", 31, k, text);
}

bool SbComPayloadGsm(char key, char* out, size_t size) {
    if (const int32_t* number = SbComGsmNombre(&SbComG.gsm, key)) {
        StrFormat(out, size, "WP %03d %c %d", 30, key, *number);
        return true;
    }
    const char* text = SbComGsmTexte(&SbComG.gsm, key);
    if (!text) return false;
    PayloadTexteGsm(key, text, out, size);
    return true;
}

void SbComEcrireEthernetAd(int k, const char* address) {
    if (SbComG.linkState == 0) return;
    char payload[256];
    SbComPayloadEthernet(k, address, payload, sizeof payload);
    SbComEchange(payload);
}

void SbComCommandeEthernet(int value) {
    Echange("WC %03d %1d", 11, value);
}
void SbComLireGsm(char key) {
    Echange("RP %03d %c", 30, key);
}

void SbComLireParamsGSM() {
    for (char key : {'1', '2', '3', '4', '5', '6', '7', '8', 'a', 'b', 'c', 'd', 'e', 'f', 'g'})
        SbComLireGsm(key);
}

void SbComEffacerGsm() {
    Echange("WP %03d C", 30);
}

void SbComEcrireGsm(char key, const char* text) {
    if (SbComG.linkState == 0) return;
    char payload[256];
    PayloadTexteGsm(key, text, payload, sizeof payload);
    SbComEchange(payload);
}

void SbComEcrireParamsGSM() {
    SbComEffacerGsm();
    for (char key : kSbComGsmOrdreEcriture) EcrireItem(key);
}

void SbComCommandeGSM(int value) {
    Echange("WC %03d %1d", 10, value);
}

void SbComBasculerGsm(int v) {
    bool on = (SbCrG.gsmStatus & 0x01) != 0;
    if (v == 0 && on)
        SbComCommandeGSM(0);
    else if (v > 0 && !on)
        SbComCommandeGSM(v);
}
