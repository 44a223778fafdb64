// The simulated countdown: its per-second step, the arc of second lights, the digits
// and the start reference announced at the beginning of each countdown.
#include <algorithm>
#include <cstdlib>

#include "records/SbChronoRec.h"
#include "records/SbCr.h"
#include "simulation/Q31Simu.h"
#include "simulation/Q31SimuEtat.h"

namespace {

// A position p of 60 or more stands for ring position p - 60.
constexpr int kPositions = 60;

constexpr uint8_t kChiffreVide = 0;

void AfficherDeuxChiffres(int value) {
    SbQ31CrG.digitB = Gen7SegmentsPattern(value / 10);
    SbQ31CrG.digitC = Gen7SegmentsPattern(value % 10);
}

// Colours positions [first, last) of the arc, never before `from` and never more than
// one turn from it: the ring shows the next 60 seconds, and a long after-zero span
// wrapped further would paint over the seconds still counting down.
void Colorer(int from, long long first, long long last, int colour) {
    first = std::max<long long>(first, from);
    last = std::min<long long>(last, from + kPositions);
    for (long long p = first; p < last; ++p) SbQ31CrG.lights[size_t(p % kPositions)] = colour;
}

// Advances the target by the interval, keeping it on the minute's dial.
void AvancerCible(int interval) {
    auto& e = Q31SimuEtatG;
    long long total = static_cast<long long>(e.targetMinute) * 60 + e.targetSecond + interval;
    total %= 3600;
    if (total < 0) total += 3600;
    e.targetMinute = int(total / 60);
    e.targetSecond = int(total % 60);
}

void DebutDecompte(int s) {
    auto& e = Q31SimuEtatG;
    SbQ31CrG.status2 = 1;
    e.remaining = SimuProg().p103;
    e.shownMinutes = e.remaining / 60;
    Q31SimuHeureDepart();
    Q31SimuLeds(s);
}

// Armed or paused: only the running second light; armed also shows red and blank digits.
void Attente(int s) {
    SimuEteindreAnneau();
    SbQ31CrG.lights[size_t(s)] = 1;
    if (SbQ31CrG.status3) return;  // paused: digits and light keep their last state
    SbQ31CrG.lightColour = 1;
    SimuEffacerChiffres();
    SbQ31CrG.valueA = 0;
}

void Bips(int remaining) {
    const auto& p = SimuProg();
    if (remaining == -p.p109) {
        SbCrG.soundRequest = 0;
    } else if (remaining > -p.p109 && remaining <= -p.p108) {
        Q31SimuBip(0);
    } else if (remaining == -p.p107) {
        Q31SimuBip(0);
    }
}

void Decompte(int s) {
    auto& e = Q31SimuEtatG;
    const int minutes = e.remaining / 60;
    if (minutes != e.shownMinutes) {
        Q31SimuLeds(s);
        e.shownMinutes = minutes;
    }
    if (e.remaining >= e.lowerBound) {
        SimuAfficherDuree(std::abs(minutes != 0 ? minutes : e.remaining));
        SbQ31CrG.valueA = e.remaining < 0 ? 1 : 0;
    }
    if (e.remaining >= e.beepEnd) Bips(e.remaining);
    --e.remaining;
    if (e.remaining < e.lowerBound && e.remaining < e.beepEnd) {
        SbQ31CrG.status2 = 0;
        if (SimuProg().p102 <= 0) SbQ31CrG.status1 = 0;  // a single countdown is over
    }
    if (e.remaining == 0) {
        SbQ31CrG.status4 = 1;
        Q31SimuBip(3);
    }
}

}  // namespace

void SimuAfficherDuree(int value) {
    AfficherDeuxChiffres(std::clamp(value, 0, 99));
}

void SimuAfficherNumero(int value) {
    AfficherDeuxChiffres(std::abs(value % 100));
}

void SimuEffacerChiffres() {
    SbQ31CrG.digitB = kChiffreVide;
    SbQ31CrG.digitC = kChiffreVide;
}

void SimuEteindreAnneau() {
    SbQ31CrG.lights.fill(0);
}

void Q31SimuSeconde() {
    auto& e = Q31SimuEtatG;
    const int m = SbCrG.minute;
    const int s = SbCrG.second;
    if (m == e.targetMinute && s == e.targetSecond) {
        if (!SbQ31CrG.status2) DebutDecompte(s);
        // A target that falls while a countdown still runs starts nothing.
        AvancerCible(SimuProg().p102);
    }
    if (!SbQ31CrG.status2) {
        Attente(s);
    } else {
        Decompte(s);
    }
}

void Q31SimuLeds(int from) {
    from = (from % kPositions + kPositions) % kPositions;  // a ring position, whatever the caller gives
    const auto& p = SimuProg();
    const int remaining = Q31SimuEtatG.remaining;
    const long long n = remaining <= 60 ? remaining : remaining % 60;
    const long long end = from + n;
    const int arc = (p.p113 & 1) ? 2 : 1;
    const int vert = arc == 2 ? 1 : 2;
    Colorer(from, from, end, arc);
    if (remaining > 60) return;
    if (p.p112 > 0) Colorer(from, end, end + p.p112, arc);
    if (p.p112 < 0) Colorer(from, end + p.p112, end, arc);
    if (p.p111 < 0) Colorer(from, end + p.p111, end, 3);
    if (p.p110 <= 0) Colorer(from, end + p.p110, p.p112 > 0 ? end + p.p112 : end, vert);
}

void Q31SimuHeureDepart() {
    constexpr long long kJour = 24 * 3600;
    long long t =
        static_cast<long long>(SbCrG.hour) * 3600 + SbCrG.minute * 60 + SbCrG.second + Q31SimuEtatG.remaining;
    t %= kJour;
    if (t < 0) t += kJour;
    SbChronoRec& it = SbChronoQ31ItG;
    it = SbChronoRec{};
    it.Heures = int(t / 3600);
    it.Minutes = int(t % 3600 / 60);
    it.Secondes = int(t % 60);
    it.Type = 'I';
    it.Marque = 'T';
    it.Qualif = ' ';
    it.Canal = ' ';
}
