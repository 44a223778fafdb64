// The link record's file, its defaults and the reset of its run-time fields.
#include "link/SbComConfig.h"

#include <cstring>

#include "lib/StrBuf.h"
#include "platform/cvi.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "ui/FileNotices.h"

namespace {

void SetProg(SbComProg* p, const char* name, std::array<int32_t, 12> v) {
    p->p102 = v[0];
    p->p104 = v[1];
    p->p105 = v[2];
    p->p106 = v[3];
    p->p103 = v[4];
    p->p112 = v[5];
    p->p110 = v[6];
    p->p111 = v[7];
    p->p107 = v[8];
    p->p108 = v[9];
    p->p109 = v[10];
    p->p113 = v[11];
    if (name) StrCopy(p->name, name);
}

// Loads up to size bytes; a missing file gives the defaults (and, if asked, creates it).
template <typename Block>
bool LoadBlock(const char* path, Block* block) {
    return FileReadUpTo(path, block, sizeof(Block)) >= 0;
}

// A text field read from a file is terminated whatever the file holds (a valid file
// already ends each one with a zero), so no later use can read past it.
template <size_t N>
void Terminer(char (&text)[N]) {
    text[N - 1] = 0;
}

void TerminerGsm(SbComGsm* g) {
    for (auto& group : g->first)
        for (auto& t : group.text) Terminer(t);
    for (auto& group : g->second)
        for (auto& t : group.text) Terminer(t);
    Terminer(g->common);
}

void TerminerTextes(SbCom* r) {
    Terminer(r->netAddress);
    Terminer(r->family);
    Terminer(r->version);
    for (auto& p : r->progs) Terminer(p.name);
    Terminer(r->ethernet.address0);
    Terminer(r->ethernet.address1);
    TerminerGsm(&r->gsm);
}

}  // namespace

void SbComValDefRun(SbComRun* run) {
    *run = SbComRun{0, 0, 0, 0, 0, 0, 1, 1, 2001};
}

void SbComValDefSynchro(SbComSynchro* s) {
    *s = SbComSynchro{0, 0, 8, 30, 23, 9, 10, 19};
}

void SbComValDefParam(SbComParams* p) {
    memset(p, 0, sizeof *p);
    p->precision = 2;
    p->field1 = 2;
    p->field2 = 3;
    p->field3 = 3;
    p->speedCode = 3;
    p->field5 = 0;
    p->field6 = 1;
    p->field7 = 1;
    p->field8 = 1;
    p->field9 = 0;
    p->field10 = 1;
    for (auto& in : p->inputs) {
        in.timeBase = 0;
        in.choice2 = 0;
        in.enabled = 1;
        in.choice3 = 1;
    }
}

void SbComValDefProg(std::array<SbComProg, 51>* progs) {
    for (int n = 0; n < 51; ++n) {
        SbComProg& p = (*progs)[n];
        memset(&p, 0, sizeof p);
        SetProg(&p, nullptr, {60, 60, 0, 0, 30, 0, -5, -10, -10, -5, 0, 0});
        StrFormat(p.name, sizeof p.name,
                  "Name N\xB0"
                  "%d",
                  n);
    }
    SetProg(&(*progs)[1], "Alpine Ski", {60, 60, 0, 0, 30, 5, -5, -10, -10, -5, 0, 0});
    SetProg(&(*progs)[2], "Alpine Ski OJ", {30, 15, 0, 0, 15, 5, -5, -10, -10, -5, 0, 0});
    SetProg(&(*progs)[3], "Cross Country Ski", {60, 60, 0, 0, 30, 3, -3, -3, -10, -5, 0, 0});
    SetProg(&(*progs)[4], "Rally 2min", {120, 60, 0, 0, 30, 20, 0, -5, -10, -5, 0, 0});
    SetProg(&(*progs)[6], "FITA", {0, 60, 0, 0, 240, 0, 0, -30, -30, -10, 0, 1});
    SetProg(&(*progs)[8], "Start on Demand", {0, 0, 0, 0, 5, 1, 0, -5, -5, -5, 0, 0});
    SetProg(&(*progs)[9], "Pacer 5 sec.", {5, 15, 0, 0, 4, 1, 0, -4, -5, -5, 0, 0});
}

void SbComValDefEthernet(SbComEthernet* e) {
    memset(e, 0, sizeof *e);
    StrCopy(e->address0, "192.168.1.1");
    StrCopy(e->address1, "0.0.0.0");
}

void SbComValDefGsm(SbComGsm* g) {
    memset(g, 0, sizeof *g);
    g->second[0].number = 13001;
    g->second[1].number = 13001;
}

void SbComValDefaut(SbCom* r) {
    r->linkState = 0;
    r->simulation = 0;
    r->connectAtStart = 0;
    r->reserved = 0;
    r->port = 1;
    r->speed = 9600;
    r->freePortCount = 10;
    for (int i = 0; i < 64; ++i) r->portList[i] = i + 1;
    r->netPort = 7000;
    StrCopy(r->netAddress, "192.168.0.0");
    r->serialNumber = 0;
    StrCopy(r->family, "QS");
    StrCopy(r->version, "V000");
    SbComValDefRun(&r->run);
    r->mode = 0;
    r->currentProgram = 1;
    r->editedProgram = 10;
    SbComValDefSynchro(&r->synchro);
    SbComValDefParam(&r->params);
    r->downloadTarget = 0;
    r->extensions = {1, 2, 0};
    SbComValDefProg(&r->progs);
    r->p8Digit1 = 0;
    r->p8Digit2 = 1;
    r->p8Number = 10;
    SbComValDefEthernet(&r->ethernet);
    SbComValDefGsm(&r->gsm);
}

void SbComCharger(const char* path, SbCom* record) {
    if (!LoadBlock(path, record)) {
        SbComValDefaut(record);
        SbComSauver(path, record);
    }
    TerminerTextes(record);
}

void SbComSauver(const char* path, const SbCom* record) {
    if (FileWriteAtomic(path, record, sizeof *record) != 0) SbNoteWriteFailure(path);
}

void SbComChargerParam(const char* path, SbComParams* block) {
    if (!LoadBlock(path, block)) SbComValDefParam(block);
}

void SbComSauverParam(const char* path, const SbComParams* block) {
    if (FileWriteAtomic(path, block, sizeof *block) != 0) SbNoteWriteFailure(path);
}

void SbComChargerGsm(const char* path, SbComGsm* block) {
    if (!LoadBlock(path, block)) SbComValDefGsm(block);
    TerminerGsm(block);
}

void SbComSauverGsm(const char* path, const SbComGsm* block) {
    if (FileWriteAtomic(path, block, sizeof *block) != 0) SbNoteWriteFailure(path);
}

void SbComRaz(SbCom* g, SbCr* cr) {
    g->linkState = 0;
    g->simulation = 0;
    g->run.current = 0;
    g->run.next = 1;
    g->synchro.mode = 0;
    g->currentProgram = 1;
    cr->channel = {0, 0, 0, 0};
    cr->soundRequest = 0;
    cr->ethernetStatus = {0, 0, 0, 0};
    cr->gsmStatus = 0;
    cr->gsmValue = 0;
    cr->gsmTextPart = 0;
    cr->gsmTextReady = 0;
    cr->gsmText[0] = 0;
}
