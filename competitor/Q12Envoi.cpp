// The hand-over of a confirmed number: the clock's competitor number on the wire, or the
// simulated clock's, which shows it as the real one would.
#include "competitor/Q12Envoi.h"

#include "link/SbComCommandes.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"

void Q12EnvoyerNumConcurrent(int number) {
    if (SbComG.mode != 1) return;
    if (SbComG.simulation)
        Q31G.simu.simuCompetitor = number;
    else
        SbComEcrireNumConcurrent(1, number);
}
