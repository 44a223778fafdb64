// The simulated clock's keys (start/stop, reset), its beeps and the start/stop target.
#include "records/SbCr.h"
#include "simulation/Q31Simu.h"
#include "simulation/Q31SimuEtat.h"

namespace {

// The first countdown starts at the next quarter, half or whole minute (parameter 104),
// or at the next second for any other alignment.
void CalculerCible(int m, int s, int alignement) {
    int ts = 60;  // the next whole minute
    if (alignement == 30) {
        if (s < 30) ts = 30;
    } else if (alignement == 15) {
        if (s < 45) ts = (s / 15 + 1) * 15;
    } else if (alignement != 60) {
        ts = s + 1;
    }
    int tm = m + ts / 60;
    ts %= 60;
    if (tm >= 60) tm -= 60;
    Q31SimuEtatG.targetMinute = tm;
    Q31SimuEtatG.targetSecond = ts;
}

void Demarrer() {
    const auto& p = SimuProg();
    auto& e = Q31SimuEtatG;
    SbQ31CrG.status3 = 0;
    SbQ31CrG.status2 = 0;
    SbQ31CrG.status1 = 1;
    e.lowerBound = p.p112 > 0 ? -p.p112 : 0;
    e.beepEnd = -p.p109;
    CalculerCible(SbCrG.minute, SbCrG.second, p.p104);
    SbCrG.soundRequest = 2;  // rising tones
    SbQ31CrG.lightColour = 1;
}

void Reprendre() {
    SbQ31CrG.status2 = 1;
    SbQ31CrG.status3 = 0;
    Q31SimuHeureDepart();
    Q31SimuLeds(SbCrG.second);
}

}  // namespace

void Q31SimuBip(int tone) {
    SbCrG.soundRequest = 1;
    SbCrG.soundDuration = 100;
    SbCrG.soundNumber = tone;
}

void Q31SimuStartStop() {
    if (!SbQ31CrG.status1) {
        Demarrer();
    } else if (SbQ31CrG.status3) {
        Reprendre();
    } else if (SbQ31CrG.status2 && SimuProg().p105 == 0) {
        SbQ31CrG.status2 = 0;  // pause
        SbQ31CrG.status3 = 1;
    } else {
        Q31SimuReset();
    }
}

void Q31SimuReset() {
    // Flag 3 (paused) stays as it is; the next start clears it.
    SbQ31CrG.status1 = 0;
    SbQ31CrG.status2 = 0;
    SimuEteindreAnneau();
    SbCrG.soundRequest = 3;  // falling tones
}
