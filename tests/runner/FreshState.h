// The records a window test starts from: the layer up, the link record, the live records
// and the configuration at their defaults, English texts loaded.
#pragma once

#include <cstring>

#include "link/SbComConfig.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "tests/support/TestSupport.h"
#include "ui/Texts.h"

namespace qstest {

inline void FreshRecords() {
    EnsureRuntime();
    memset(&SbComG, 0, sizeof SbComG);
    SbComValDefaut(&SbComG);
    SbComRaz(&SbComG, &SbCrG);
    memset(&SbQ31CrG, 0, sizeof SbQ31CrG);
    memset(&Q31G, 0, sizeof Q31G);
    Q31Defaut(&Q31G);
    Q31G.language = 0;
    Q31ChargerTextes();
}

}  // namespace qstest
