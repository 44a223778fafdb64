// The main window following a real countdown streamed by the stand-in clock:
// after every pass of the loop, the digits, big light and ring show exactly what
// the clock last reported, and they change as the countdown runs.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <utility>

#include "app/Q31Aff.h"
#include "app/Q31Connexion.h"
#include "app/Q31Ihm.h"
#include "app/Q31Modules.h"
#include "link/SbComConfig.h"
#include "link/SbComErreur.h"
#include "panels/FQ31.h"
#include "platform/cvi.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "tests/runner/Scripted.h"
#include "tests/support/Standin.h"
#include "tests/support/TestSupport.h"
#include "ui/Texts.h"

using namespace fq31;

TEST(Mirror, MainWindowFollowsTheClocksCountdownPassByPass) {
    qstest::TempProgramDir dir;
    qstest::EnsureRuntime();
    qstest::StandinClock clock(dir, {"--time-scale", "8"});
    ASSERT_TRUE(clock.Running());
    memset(&SbComG, 0, sizeof SbComG);
    SbComValDefaut(&SbComG);
    SbComRaz(&SbComG, &SbCrG);
    SbComDeplanter();
    Q31QuitG = 0;
    Q31Defaut(&Q31G);
    Q31G.language = 0;
    Q31G.soundOn = 0;
    Q31ChargerTextes();
    Q31EnregistrerCallbacks();
    Q31FIhmG = LoadPanel(0, "FQ31.uir", MAIN);
    SbComG.port = 5;
    {
        qstest::Scripted script({[] {
            int dlg = FindLoadedPanel("FQ31.uir", CONNECT);
            if (!dlg) return false;
            QueueUserEvent(dlg, CONNECT_CONNECT);
            return true;
        }});
        Q31Connexion(Q31FIhmG);
    }
    ASSERT_EQ(SbComG.linkState, 1);
    Q31InitAff(false, true);

    std::set<std::pair<int, int>> digitsShown;
    int mismatches = 0, passes = 0, litPositions = 0;
    const double end = Timer() + 6.0;
    while (Timer() < end) {
        Q31TacheDeFond(true);
        int panel, control;
        SetNextWake(end - Timer());  // the loop ends on time even if the clock falls silent
        GetUserEvent(0, &panel, &control);
        ++passes;
        // Compare the controls with the record right after a refresh.
        Q31AffRafraichir();
        int left = -1, right = -1, colour = -1, light = -1;
        GetCtrlVal(Q31FIhmG, MAIN_DIGIT_LEFT, &left);
        GetCtrlVal(Q31FIhmG, MAIN_DIGIT_RIGHT, &right);
        GetCtrlAttribute(Q31FIhmG, MAIN_BIG_LIGHT, ATTR_ON_COLOR, &colour);
        mismatches += left != (SbQ31CrG.digitB & 0x7F) || right != (SbQ31CrG.digitC & 0x7F);
        mismatches += colour != Q31CouleurLumiere(SbQ31CrG.lightColour);
        int lit = 0;
        for (int p = 0; p < 60; ++p) {
            GetCtrlIndexVal(Q31FIhmG, MAIN_DIAL, p, &light);
            mismatches += light != Q31CouleurLumiere(SbQ31CrG.lights[p]);
            lit += SbQ31CrG.lights[p] != 0;
        }
        litPositions = std::max(litPositions, lit);
        digitsShown.insert({left, right});
    }
    EXPECT_EQ(SbComErreur(), 0);
    EXPECT_EQ(mismatches, 0) << "over " << passes << " passes";
    EXPECT_GE(digitsShown.size(), 4u) << "the digits should change as the countdown runs";
    EXPECT_GE(litPositions, 1);
    EXPECT_EQ(SbQ31CrG.status1, 1);  // the clock reports its program running
    SbComQuitter();
    DiscardPanel(Q31FIhmG);
    Q31FIhmG = 0;
}
