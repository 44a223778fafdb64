// The fake port of the link tests.
#include "LinkFake.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "link/SbComConfig.h"
#include "link/SbComDecoder.h"
#include "link/SbComErreur.h"
#include "link/SbComLink.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "tests/support/MemoryPort.h"
#include "ui/Texts.h"

namespace linkfake {

namespace {

bool g_replyDue = false;

int Ecrire(const char* frame, int length) {
    State& s = S();
    if (s.writeResult < 0) return s.writeResult;
    s.frames.emplace_back(frame, size_t(length));
    g_replyDue = true;
    return length;
}

int Etat() {
    return S().portStatus;
}

// The clock answers on the first event pass after a frame.
void Evenements() {
    State& s = S();
    ++s.waitPasses;
    s.now += 0.25;
    if (!g_replyDue) return;
    g_replyDue = false;
    if (!s.replies.empty()) {
        std::string bytes = s.replies.front();
        s.replies.pop_front();
        Recevoir(bytes);
    } else if (s.autoAck) {
        Recevoir(Ligne("AK"));
    }
}

// Time also moves while the link polls the port's status.
double Horloge() {
    S().now += 0.001;
    return S().now;
}

const SbComPortOps kOps = memport::Ops({Ecrire, Etat, Evenements, Horloge});

}  // namespace

State& S() {
    static State s;
    return s;
}

std::vector<std::string> Payloads() {
    std::vector<std::string> out;
    for (const std::string& f : S().frames) {
        size_t tab = f.find('\t');
        out.push_back(f.substr(1, tab == std::string::npos ? std::string::npos : tab - 1));
    }
    return out;
}

void Recevoir(const std::string& bytes) {
    memport::Deliver(bytes.data(), bytes.size());
}

std::string Ligne(const std::string& payload) {
    char check[8];
    snprintf(check, sizeof check, "%04X", unsigned(SbComSomme(payload.c_str())) & 0xFFFF);
    return payload + "\t" + check + "\r\n";
}

void LinkTest::SetUp() {
    S() = State{};
    memport::P() = memport::Port{};
    g_replyDue = false;
    for (int i = 0; i < int(std::size(GMesComG)); ++i) snprintf(GMesComG[i], sizeof GMesComG[i], "E%d", i);
    snprintf(GMesComG[10], sizeof GMesComG[10], "Port COM%%d cannot be opened");
    snprintf(GMesComG[11], sizeof GMesComG[11], "No answer on COM%%d");
    SbComValDefaut(&SbComG);
    SbCrG = SbCr{};
    SbQ31CrG = SbQ31Cr{};
    SbComG.linkState = 1;
    SbComInstallerPort(&kOps);
    SbComAckPendingG = 0;
    uint8_t state = SbComG.linkState;
    SbComG.linkState = 0;  // clear the error without touching a port
    SbComDeplanter();
    SbComG.linkState = state;
}

void LinkTest::TearDown() {
    SbComG.linkState = 0;
    SbComDeplanter();
    SbComInstallerPort(nullptr);
}

std::string LinkTest::Titre() {
    char title[200], text[200];
    SbComTexteErreur(title, text);
    return title;
}

std::string LinkTest::Texte() {
    char title[200], text[200];
    SbComTexteErreur(title, text);
    return text;
}

namespace {
std::vector<SbChronoRec> handedOver;
void Receive(const SbChronoRec* record) {
    handedOver.push_back(*record);
}
[[maybe_unused]] const bool kReceiverRegistered = (SbComSetTimeReceiver(Receive), true);
}  // namespace

const std::vector<SbChronoRec>& TimesHandedOver() {
    return handedOver;
}

void ForgetTimesHandedOver() {
    handedOver.clear();
}

}  // namespace linkfake
