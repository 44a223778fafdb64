// The times store's tests: a private program folder with its "Chronos" folder, a connected
// link, Timer() driven by the test, and a store opened without a table.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "chrono/SbChrono.h"
#include "platform/cvi.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "tests/support/TestSupport.h"

namespace chronotest {

inline SbChronoRec Temps(int h, int m, int s, int fraction, char canal = '1', int bib = 0, int n = 0) {
    return {bib, n, h, m, s, fraction, 4242, 'T', 'N', 'M', canal};
}

// A ".q31tps" image: the count field as given, then the records.
inline std::string Image(int32_t count, const std::vector<SbChronoRec>& records) {
    std::string bytes(reinterpret_cast<const char*>(&count), 4);
    for (const auto& r : records) bytes.append(reinterpret_cast<const char*>(&r), sizeof r);
    return bytes;
}

// The store's records as one image, to compare with what was handed over.
inline std::string Stored() {
    std::vector<SbChronoRec> all;
    for (int i = 1; i <= SbChronoNombre(); ++i) all.push_back(*SbChronoLire(i));
    return Image(SbChronoNombre(), all);
}

inline double Maintenant = 1000.0;

class ChronoTest : public ::testing::Test {
protected:
    void SetUp() override {
        qstest::EnsureRuntime();
        dir_ = std::make_unique<qstest::TempProgramDir>(avecPanneaux_);
        MakeDir("Chronos");
        Maintenant = 1000.0;
        SetTimeSource([] { return Maintenant; }, nullptr);
        std::memset(&SbComG, 0, sizeof SbComG);
        SbComG.linkState = 1;
        SbComG.params.precision = 2;
        SbQ31CrG = SbQ31Cr{};
        SbChronoQ31ItG = SbChronoRec{};
    }
    void TearDown() override {
        SbChronoFermer("Chronos", "Chrono.q31tps");
        SetTimeSource(nullptr, nullptr);
    }
    void Ouvrir() { SbChronoOuvrir("Chronos", "Chrono.q31tps", 0, 0); }
    void Ajouter(const std::vector<SbChronoRec>& times) {
        for (const SbChronoRec& t : times) SbChronoQ31Traiter(&t);
    }
    std::string Fichier(const std::string& relative) const { return dir_->file(relative); }

    std::unique_ptr<qstest::TempProgramDir> dir_;
    bool avecPanneaux_ = false;  // copy the program's panels and texts into the folder
};

}  // namespace chronotest
