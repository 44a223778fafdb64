// The fake clock port of the settings tests.
#include "SettingsFake.h"

#include <cstdio>

#include "link/SbComConfig.h"
#include "link/SbComDecoder.h"
#include "link/SbComErreur.h"
#include "link/SbComLink.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"

namespace setfake {

namespace {

std::vector<std::string> g_frames;
SbComLineReader g_reader;
bool g_replyDue = false;
double g_now = 100.0;

void Livrer(void*, const char* text, int length, bool tooLong) {
    if (SbComAccepterLigne(text, length, tooLong, SbComMessageG)) SbComDecoder();
}

std::string Ligne(const std::string& payload) {
    char check[8];
    snprintf(check, sizeof check, "%04X", unsigned(SbComSomme(payload.c_str())) & 0xFFFF);
    return payload + "\t" + check + "\r\n";
}

int Ecrire(const char* frame, int length) {
    g_frames.emplace_back(frame, size_t(length));
    g_replyDue = true;
    return length;
}

int Etat() {
    return 0;
}

void Evenements() {
    g_now += 0.25;
    if (!g_replyDue) return;
    g_replyDue = false;
    const std::string ack = Ligne("AK");
    g_reader.Feed(ack.data(), ack.size(), Livrer, nullptr);
}

double Horloge() {
    return g_now;
}

const SbComPortOps kOps = {Ecrire, Etat, Evenements, Horloge};

}  // namespace

std::vector<std::string> Envoyes() {
    std::vector<std::string> out;
    for (const std::string& f : g_frames) {
        const size_t tab = f.find('\t');
        out.push_back(f.substr(1, tab == std::string::npos ? std::string::npos : tab - 1));
    }
    return out;
}

void Effacer() {
    g_frames.clear();
}

void SettingsTest::SetUp() {
    g_frames.clear();
    g_reader.Reset();
    g_replyDue = false;
    SbComValDefaut(&SbComG);
    SbCrG = SbCr{};
    SbQ31CrG = SbQ31Cr{};
    Q31Defaut(&Q31G);
    SbComInstallerPort(&kOps);
    SbComG.linkState = 0;  // clear the error without touching a port
    SbComDeplanter();
    SbComG.linkState = 1;
    // The clock already works at the record's speed, so writing it never reopens a port.
    SbComVitesseCouranteG = SbComG.params.speedCode;
}

void SettingsTest::TearDown() {
    SbComG.linkState = 0;
    SbComDeplanter();
    SbComInstallerPort(nullptr);
}

void SettingsTest::Simuler() {
    SbComG.linkState = 0;
    SbComG.simulation = 1;
}

}  // namespace setfake
