// The clock's light colours and the names of its modes, precisions and extensions.
#include "records/ClockTables.h"

const char* const Q31TxtModeG[2] = {"PTB", "SPLIT"};
const char* const Q31TxtPreciG[6] = {"1/1", "1/10", "1/100", "1/1.000", "1/10.000", "1/100.000"};
const char* const Q31TxtExtensionG[5] = {"OFF", "Ethernet", "GSM", "Timing", "GPS"};

namespace {

constexpr int kCouleurs[12] = {0x303030, 0xFF0000, 0x00FF00, 0xFFE500, 0x0000FF, 0xFF00FF,
                               0x00FFFF, 0xFFFFFF, 0xFF2600, 0x00FF26, 0xFF1A33, 0x4D4DFF};

}  // namespace

int Q31CouleurLumiere(int index) {
    return (index >= 0 && index < 12) ? kCouleurs[index] : kCouleurEteinte;
}

const char* Q31TexteMode(int mode) {
    return (mode == 0 || mode == 1) ? Q31TxtModeG[mode] : "";
}
const char* Q31TextePrecision(int p) {
    return (p >= 0 && p < 6) ? Q31TxtPreciG[p] : "";
}
