// The main window's input test buttons on the simulated clock (synchronising impulse,
// simulated times), and the run and synchronisation effects of the settings pages.
#include "chrono/SbChrono.h"
#include "link/SbComCommandes.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbChronoRec.h"
#include "records/SbCr.h"
#include "simulation/Q31Simu.h"
#include "simulation/Q31SimuEtat.h"
#include "simulation/Q31SimuSorties.h"

namespace {

Q31SimuTempsFn sTemps = nullptr;
Q31SimuInputFn sInput = nullptr;
int sInput1Ctrl = -1;
int sInput2Ctrl = -1;

void RemettreTemps(const SbChronoRec* record) {
    if (sTemps) {
        sTemps(record);
    } else {
        SbChronoQ31Traiter(record);
    }
}

void DemanderImpulsion(int input) {
    if (sInput) {
        sInput(input);
    } else {
        SbComCommandeInput(input);
    }
}

// Mode 2: the first impulse sets the clock to its preset time; the computer's seconds
// are kept as the clock's.
void Synchroniser() {
    int h = 0, m = 0, s = 0;
    SimuHeureLocale(&h, &m, &s);
    auto& simu = Q31G.simu;
    simu.simuSynchronised = 1;
    simu.simuOffsetHours = SbComG.synchro.hour - h;
    simu.simuOffsetMinutes = SbComG.synchro.minute - m;
    Q31SimuBip(3);
}

// The input counters come back from the configuration file: a damaged value must not
// overflow, nor give a negative time number; the count starts again at 1.
int32_t NextCount(int32_t count) {
    return count < 0 || count == INT32_MAX ? 1 : count + 1;
}

void EnregistrerTemps(int channel) {
    // The clock is read at the impulse: the loop sleeps between events, so the last
    // pass may lie a whole press of the button back.
    Q31SimuCr();
    auto& simu = Q31G.simu;
    Q31SimuBip(0);
    ++Q31SimuEtatG.impulseCount;
    char canal = ' ';
    int numero = 0;  // the third button advances no counter
    if (channel == 1) {
        SbCrG.channel[0] = 1;
        canal = '1';
        numero = simu.simuCountInput1 = NextCount(simu.simuCountInput1);
    } else if (channel == 2) {
        SbCrG.channel[1] = 1;
        canal = '2';
        numero = simu.simuCountInput2 = NextCount(simu.simuCountInput2);
    }
    if (SbComG.mode == 0) simu.simuCompetitor = 0;

    SbChronoRec rec{};
    rec.Concurrent = simu.simuCompetitor;
    rec.Numero = numero;
    rec.Heures = SbCrG.hour;
    rec.Minutes = SbCrG.minute;
    rec.Secondes = SbCrG.second;
    rec.Fraction = SbCrG.fraction;
    rec.Complement = 0;
    rec.Type = 'T';
    rec.Marque = 'N';
    rec.Qualif = 'M';
    rec.Canal = canal;
    RemettreTemps(&rec);

    // A start while armed: the whole ring flashes red.
    if (SbQ31CrG.status1 && !SbQ31CrG.status2 && canal == '1') SbQ31CrG.lights.fill(1);
}

}  // namespace

void Q31SimuSetSorties(Q31SimuTempsFn temps, Q31SimuInputFn input) {
    sTemps = temps;
    sInput = input;
}

void Q31SimuSetInputControls(int input1Ctrl, int input2Ctrl) {
    sInput1Ctrl = input1Ctrl;
    sInput2Ctrl = input2Ctrl;
}

void Q31SimuImpulsion(int channel) {
    if (!Q31SimuActif() || Q31SimuEtatG.impulseCount >= kSimuImpulsionsMax) {
        if (channel == 1 || channel == 2) DemanderImpulsion(channel);
        return;
    }
    if (SimuModeSynchro() == 2 && !Q31G.simu.simuSynchronised) {
        Synchroniser();  // no time, and the impulse is not counted
        return;
    }
    EnregistrerTemps(channel);
}

int FQ31SimuInput(int panel, int control, int event, void* callbackData, int eventData1, int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    int channel = 0;
    if (control == sInput1Ctrl) {
        channel = 1;
    } else if (control == sInput2Ctrl) {
        channel = 2;
    }
    Q31SimuImpulsion(channel);
    return 0;
}

void Q31SimuOuvrirManche() {
    auto& run = SbComG.run;
    const int suivante = run.next >= 1 && run.next <= 99 ? run.next : 1;
    run.current = suivante;
    run.next = suivante >= 99 ? 1 : suivante + 1;
    run.hour = SbCrG.hour;
    run.minute = SbCrG.minute;
    run.second = SbCrG.second;
    Q31SimuRazCompteurs();
}

void Q31SimuFermerManche() {
    SbComG.run.current = 0;
}

void Q31SimuRazCompteurs() {
    auto& simu = Q31G.simu;
    simu.simuCompetitor = 0;
    simu.simuCountInput1 = 0;
    simu.simuCountInput2 = 0;
}

void Q31SimuSynchroMode2() {
    Q31G.simu.simuSynchronised = 0;
    SimuEffacerChiffres();
    SbQ31CrG.lightColour = 2;
}
