// The simulated clock's step: time of day, competitor number, hands, the change of
// second, the big light and the fraction, once per pass of the background task.
#include <cmath>

#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbCr.h"
#include "simulation/Q31Simu.h"
#include "simulation/Q31SimuEtat.h"

const std::array<double, 36> FUSEAU = {12.0, 11.5, 11.0, 10.5, 10.0, 9.5,  9.0,   8.0,   7.0,
                                       6.5,  6.0,  5.5,  5.0,  4.5,  4.0,  3.5,   3.0,   2.0,
                                       1.0,  0.0,  -1.0, -2.0, -3.0, -3.5, -4.0,  -4.5,  -5.0,
                                       -6.0, -7.0, -8.0, -8.5, -9.0, -9.5, -10.0, -11.0, -12.0};

Q31SimuEtat Q31SimuEtatG;

namespace {

constexpr int kMinutesParJour = 24 * 60;

int ModuloPositif(long long v, int n) {
    long long r = v % n;
    return int(r < 0 ? r + n : r);
}

// Minutes of the time-zone offset; an index outside the table shifts nothing.
int MinutesFuseau(int index) {
    if (index < 0 || index >= int(FUSEAU.size())) return 0;
    return int(std::lround(FUSEAU[size_t(index)] * 60.0));
}

// Hour and minute of the computer's time shifted by whole minutes, within one day.
// Counted in whole minutes so that an exact hour never lands a hair below it.
void HeureDecalee(int h, int m, long long decalage) {
    int total = ModuloPositif(static_cast<long long>(h) * 60 + m + decalage, kMinutesParJour);
    SbCrG.hour = total / 60;
    SbCrG.minute = total % 60;
}

// A blink toggled at `last` toggles again half a second later: the loop wakes for it.
void AskBlinkWake(double last, double t) {
    SetNextWake(kSimuDemiSeconde - (t - last));
}

// Synchronisation mode 0: no time of day; red light and a blinking zero on the right.
void HeureAbsente(double t) {
    SbCrG.hour = 0;
    SbCrG.minute = 0;
    SbCrG.second = 0;
    SbQ31CrG.lightColour = 1;
    if (t - Q31SimuEtatG.lastZeroBlink > kSimuDemiSeconde) {
        SbQ31CrG.digitB = 0;
        SbQ31CrG.digitC = SbQ31CrG.digitC == 0x3F ? 0 : 0x3F;
        Q31SimuEtatG.lastZeroBlink = t;
    }
    AskBlinkWake(Q31SimuEtatG.lastZeroBlink, t);
}

void HeureDuJour(int h, int m, double t) {
    const int mode = SimuModeSynchro();
    const auto& simu = Q31G.simu;
    if (mode == 5) {
        HeureDecalee(h, m, MinutesFuseau(SbComG.synchro.timeZone));
    } else if (mode == 2 && simu.simuSynchronised) {
        HeureDecalee(h, m, static_cast<long long>(simu.simuOffsetHours) * 60 + simu.simuOffsetMinutes);
    } else if (mode == 2) {
        // Waiting for the synchronising impulse: the clock stands at the preset time.
        SbCrG.hour = SbComG.synchro.hour;
        SbCrG.minute = SbComG.synchro.minute;
        SbCrG.second = 0;
    } else {
        HeureAbsente(t);
    }
}

// In mode SPLIT with a valid time of day and no countdown, the digits blink the
// competitor number called up on the keypad.
void NumeroConcurrent(double t) {
    if (SbComG.mode != 1 || SimuModeSynchro() == 0 || !Q31G.simu.simuSynchronised) return;
    if (SbQ31CrG.status2 || SbQ31CrG.status3) return;
    auto& e = Q31SimuEtatG;
    if (t - e.lastNumberBlink <= kSimuDemiSeconde) {
        AskBlinkWake(e.lastNumberBlink, t);
        return;
    }
    if (e.numberPhase == 0) {
        SimuEffacerChiffres();
        e.numberPhase = 1;
    } else {
        if (Q31G.simu.simuCompetitor <= 0) {
            SbQ31CrG.digitB = 0x40;  // middle segment: no competitor
            SbQ31CrG.digitC = 0x40;
        } else {
            SimuAfficherNumero(Q31G.simu.simuCompetitor);
        }
        e.numberPhase = 0;
    }
    e.lastNumberBlink = t;
    AskBlinkWake(t, t);
}

void Aiguilles() {
    SbCrG.hour = ModuloPositif(SbCrG.hour, 24);
    const int h12 = SbCrG.hour >= 12 ? SbCrG.hour - 12 : SbCrG.hour;
    SbQ31CrG.hourHand = int((h12 + SbCrG.minute / 60.0) * 5.0);
    SbQ31CrG.minuteHand = SbCrG.minute;
}

// The second changed: light-0 flag, running second light or the countdown's step.
void ChangementDeSeconde(int s, double t) {
    auto& e = Q31SimuEtatG;
    const int sec = SbCrG.second;
    e.lastSecondChange = t;
    SbQ31CrG.light0Flag = s == 0 ? 1 : 0;
    SbQ31CrG.lights[size_t(ModuloPositif(e.lastSecond, 60))] = 0;
    if (!SbQ31CrG.status1) {
        const int mode = SimuModeSynchro();
        const bool heureValide = mode == 5 || (mode == 2 && Q31G.simu.simuSynchronised);
        SbQ31CrG.lights[size_t(sec)] = heureValide ? 1 : 0;
        SbQ31CrG.lightColour = 0;
        SimuEffacerChiffres();
        SbQ31CrG.valueA = 0;
    } else {
        Q31SimuSeconde();
    }
    e.lastSecond = sec;
}

// During a countdown the big light takes the colour of the current position; amber blinks.
void GrosFeu(double t) {
    if (!SbQ31CrG.status2) return;
    const int couleur = SbQ31CrG.lights[size_t(SbCrG.second)];
    if (couleur != 3) {
        SbQ31CrG.lightColour = couleur;
        return;
    }
    auto& e = Q31SimuEtatG;
    if (t - e.lastAmberBlink > kSimuDemiSeconde) {
        SbQ31CrG.lightColour = SbQ31CrG.lightColour == 3 ? 0 : 3;
        e.lastAmberBlink = t;
    }
    AskBlinkWake(e.lastAmberBlink, t);
}

// Hundred-thousandths since the second changed. Kept below a whole second: while the
// loop is held (a beep sequence, the error box) or the clock stands still, the
// difference grows past one second and must not give a time like 10:21:05.123456.
int Fraction(double t) {
    if (SimuModeSynchro() == 0) return 0;
    const double f = (t - Q31SimuEtatG.lastSecondChange) * 100000.0;
    if (!(f > 0.0)) return 0;
    return f >= 99999.0 ? 99999 : int(f);
}

}  // namespace

bool Q31SimuActif() {
    return SbComG.linkState == 0 && SbComG.simulation != 0;
}

void Q31SimuInit() {
    Q31SimuEtatG = Q31SimuEtat{};
}

void SimuHeureLocale(int* h, int* m, int* s) {
    int hh = 0, mm = 0, ss = 0;
    GetSystemTime(&hh, &mm, &ss);
    *h = hh;
    *m = mm;
    *s = ModuloPositif(ss, 60);
}

void Q31SimuCr() {
    int h = 0, m = 0, s = 0;
    SimuHeureLocale(&h, &m, &s);
    const double t = Timer();
    SbCrG.second = s;
    HeureDuJour(h, m, t);
    NumeroConcurrent(t);
    Aiguilles();
    if (SbCrG.second != Q31SimuEtatG.lastSecond) ChangementDeSeconde(s, t);
    GrosFeu(t);
    SbCrG.fraction = Fraction(t);
    SbComG.p8Digit1 = SimuModeSynchro() == 5 ? 1 : 0;
    SetNextWake(SecondsToNextSecond());  // the clock face moves with each second
}
