// The application record: user preferences, the second-display parameters and the
// simulated clock's persistent block. Saved whole as "QS-310_V1-1.q31cnf".
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "lib/Endian.h"
#include "records/FsdParam.h"

struct Q31SimuBlock {
    int32_t simuOffsetHours;
    int32_t simuOffsetMinutes;
    int32_t simuSynchronised;
    int32_t simuCompetitor;
    int32_t simuCountInput1;
    int32_t simuCountInput2;
};
static_assert(sizeof(Q31SimuBlock) == 24);

struct Q31Config {
    uint8_t language;  // 0 EN, 1 FR, 2 DT, 3 IT, 255 not chosen yet
    uint8_t soundOn;
    uint8_t inputButtonsShown;
    uint8_t gsmSetShown;
    std::array<uint8_t, 4> reserved4;
    std::array<int32_t, 2> reserved8;  // kept as read
    std::array<uint8_t, 8> reserved16;
    FsdParam secondDisplay;
    Q31SimuBlock simu;
    std::array<uint8_t, 8> reserved2088;
};
static_assert(sizeof(Q31Config) == 2096);
static_assert(offsetof(Q31Config, reserved8) == 8);
static_assert(offsetof(Q31Config, secondDisplay) == 24);
static_assert(offsetof(Q31Config, simu) == 2064);
static_assert(offsetof(Q31Config, simu) + offsetof(Q31SimuBlock, simuCompetitor) == 2076);
static_assert(offsetof(Q31Config, simu) + offsetof(Q31SimuBlock, simuCountInput2) == 2084);

extern Q31Config Q31G;

void Q31Raz(Q31Config* record);
void Q31Defaut(Q31Config* record);
void Q31SimuDefaut(Q31SimuBlock* block);

inline constexpr const char* kQ31ConfigFile = "QS-310_V1-1.q31cnf";
inline constexpr const char* kSbComConfigFile = "QS-310_V1-1.sbcnf";
