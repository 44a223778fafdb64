// The link record's file "QS-310_V1-1.sbcnf", its settings blocks' files and its defaults.
#pragma once

#include <array>

#include "records/SbComRecord.h"
#include "records/SbCr.h"

// File and defaults of the link record.
void SbComCharger(const char* path, SbCom* record);
void SbComSauver(const char* path, const SbCom* record);
void SbComChargerParam(const char* path, SbComParams* block);
void SbComSauverParam(const char* path, const SbComParams* block);
void SbComChargerGsm(const char* path, SbComGsm* block);
void SbComSauverGsm(const char* path, const SbComGsm* block);
void SbComValDefaut(SbCom* record);
void SbComValDefRun(SbComRun* run);
void SbComValDefSynchro(SbComSynchro* synchro);
void SbComValDefParam(SbComParams* params);
void SbComValDefProg(std::array<SbComProg, 51>* progs);
void SbComValDefEthernet(SbComEthernet* ethernet);
void SbComValDefGsm(SbComGsm* gsm);

// Resets the link's run-time fields (link state, simulation flag, run, synchronisation
// mode, current program) and the report record's events.
void SbComRaz(struct SbCom* g, SbCr* cr);
