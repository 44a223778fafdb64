// The times table's own state, shared by the store, table and button files of
// this module only (nothing outside chrono/ includes it).
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "chrono/SbChrono.h"

struct SbChronoTab {
    int32_t count = 0;                                                // records in slots 1..count
    std::unique_ptr<std::array<SbChronoRec, SB_CHRONO_SLOTS>> slots;  // null while closed
    int panel = 0;                                                    // attached table, 0 = none
    int control = 0;
    char file[260] = "";       // the store file kept current ("Chronos\\Chrono.q31tps")
    char requested[260] = "";  // the name it was opened with (file, unless that
                               // held last run's times that could not be copied aside)
    bool changed = false;      // changed since the store file was last written
    bool writeFailed = false;  // the last write of the store file failed (operator told)
    double firstChange = 0;    // Timer() of the first unsaved change
};

extern SbChronoTab SbChronoTabG;

// A table is attached: rows follow the store.
inline bool SbChronoTableAttachee() {
    return SbChronoTabG.panel > 0 && SbChronoTabG.control > 0;
}
// The store changed: the store file is rewritten within SB_CHRONO_DELAI_SAUVEGARDE.
void SbChronoModifie();
// Table rows (SbChronoTable.cpp): insertion with its background band, and filling.
void SbChronoInsererLigne(int row, bool newBand);
void SbChronoRemplirLigne(int row, const SbChronoRec& rec);
// Sets the table's four columns to hold text (at opening).
void SbChronoPreparerTable();
