// Live mirror of the clock state on the main window: availability of the controls
// in each state, run information, dial, digits, lamps and flashes, beeps.
#include "app/Q31Aff.h"

#include <cstring>

#include "app/Q31Controles.h"
#include "app/Q31Ihm.h"
#include "display/Q31Fsd.h"
#include "display/WebView.h"
#include "lib/StrBuf.h"
#include "platform/cvi.h"
#include "records/ClockTables.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "records/SbCr.h"
#include "settings/Q31FSet.h"
#include "ui/Texts.h"

using namespace q31c;

Q31Memoire Q31MemG;

namespace {

// A flash lamp lights for half a second per event; an event arriving while it is
// lit stays pending and lights it again once it has gone out.
struct Flash {
    bool lit = false;
    double since = 0;
};
std::array<Flash, 4> flashes;  // light 0, zero, input 1, input 2

constexpr double kFlashSeconds = 0.5;

int Main() {
    return Q31FIhmG;
}

void Visible(int ctrl, bool on) {
    SetCtrlAttribute(Main(), ctrl, ATTR_VISIBLE, on ? 1 : 0);
}
void Dim(int ctrl, bool dimmed) {
    SetCtrlAttribute(Main(), ctrl, ATTR_DIMMED, dimmed ? 1 : 0);
}

int Modulo60(int v) {
    return ((v % 60) + 60) % 60;
}

// The loop wakes when a lit lamp is due to go out, and at once when an event waits
// for the lamp to be free.
template <typename Flag>
void AskFlashWake(const Flash& f, const Flag& flag) {
    if (f.lit)
        SetNextWake(kFlashSeconds - (Timer() - f.since));
    else if (flag)
        SetNextWake(0);
}

template <typename Flag>
void StepFlash(Flash& f, int lamp, Flag& flag) {
    if (!f.lit && flag) {
        flag = 0;
        f.lit = true;
        f.since = Timer();
        Visible(lamp, true);
    } else if (f.lit && Timer() - f.since > kFlashSeconds) {
        f.lit = false;
        Visible(lamp, false);
    }
    AskFlashWake(f, flag);
}

template <typename Flag>
void StepInputFlash(Flash& f, int lamp, Flag& flag) {
    if (!f.lit && flag) {
        flag = 0;
        f.lit = true;
        f.since = Timer();
        Visible(lamp, true);
    }
    if (f.lit && Timer() - f.since > kFlashSeconds) {
        f.lit = false;
        Visible(lamp, false);
    }
    AskFlashWake(f, flag);
}

}  // namespace

bool Q31Connecte() {
    return SbComG.linkState != 0 || SbComG.simulation != 0;
}
bool Q31ProgSelectionne() {
    return Q31Connecte() && SbComG.currentProgram != 0;
}

void Q31InitAff(bool clearRecords, bool resetMemory) {
    const bool connected = Q31Connecte();
    const bool progSel = Q31ProgSelectionne();
    if (clearRecords) {
        memset(&SbQ31CrG, 0, sizeof SbQ31CrG);
        memset(&SbCrG, 0, sizeof SbCrG);
    }
    if (resetMemory) {
        Q31MemG.lightColour = Q31MemG.minus = Q31MemG.left = Q31MemG.right = Q31MemG.startState = -1;
        Q31MemG.lights.fill(-1);
        Q31MemG.hourHand = Q31MemG.minuteHand = Q31MemG.linkLamp = Q31MemG.p8Lamp = -1;
        Q31MemG.ethernet.fill(-1);
        Q31MemG.gsm = -1;
    }
    Visible(MAIN_SIMU_MARK, SbComG.simulation != 0);

    char line[64];
    StrFormat(line, sizeof line,
              "N\xB0"
              "%05d %s",
              SbComG.serialNumber, SbComG.version);
    SetCtrlVal(Main(), MAIN_IDENTITY, line);
    Visible(MAIN_IDENTITY, connected);
    WebViewNoteMain(connected, SbComG.simulation != 0, line);

    for (int c : kPages) SetCtrlAttribute(Main(), c, ATTR_LABEL_VISIBLE, connected ? 1 : 0);
    for (int c : kExtensions) SetCtrlAttribute(Main(), c, ATTR_LABEL_VISIBLE, connected ? 1 : 0);
    Q31AffBoutonsSet();

    Dim(MAIN_FSD_SWITCH, !connected);
    Dim(MAIN_KEYS_SWITCH, SbComG.linkState == 0);
    Dim(MAIN_Q12_SWITCH, !(connected && SbComG.mode == 1));
    SetCtrlVal(Main(), MAIN_CONNECT_SWITCH, connected ? 1 : 0);

    for (int c : kInputs) Visible(c, connected && Q31G.inputButtonsShown != 0);
    for (int c : kFlashes) Visible(c, false);
    for (Flash& f : flashes) f.lit = false;

    Visible(MAIN_RUN_LEGEND, connected);
    for (int c : kTimesArea) Dim(c, !connected);
    Q31AffManche(0);

    for (int c : kProgBox) Visible(c, progSel);
    for (int c : {MAIN_START, MAIN_STOP, MAIN_RESET}) Visible(c, progSel);
    const int prog = SbComG.currentProgram;
    const char* name = (prog >= 0 && prog <= 50) ? SbComG.progs[prog].name : "";
    char box[160];
    StrFormat(box, sizeof box, "%s %d\n%.31s", Q31TxtLabSetG[20], prog, name);
    SetCtrlVal(Main(), MAIN_PROG_BOX, box);
    Q31AffBoutonsProg();

    Dim(MAIN_DIAL, !connected);
    Dim(MAIN_BIG_LIGHT, !connected);
    Q31AffCadran();
    Q31AffChiffres();

    Dim(MAIN_LINK_LAMP, !connected);
    Dim(MAIN_P8_LAMP, !connected);
    Dim(MAIN_LAMP_AREA_3, !connected);
    Q31AffVoyants();
    Q31AffExtensions();
}

void Q31AffManche(int run) {
    const bool connected = Q31Connecte();
    const SbComRun& r = SbComG.run;
    char text[200];
    if (run < 1) {
        StrFormat(text, sizeof text, "%05d\n%s\n%d\n%s\n%02d/%02d/%02d\n%02d:%02d:%02d", SbComG.serialNumber,
                  Q31TexteMode(SbComG.mode), r.current, Q31TextePrecision(SbComG.params.precision), r.day,
                  r.month, r.year % 100, r.hour, r.minute, r.second);
    } else {
        StrFormat(text, sizeof text, "%05d\n%s\n%d", SbComG.serialNumber, "", run);
    }
    const bool shown = connected && (r.current != 0 || run != 0);
    Dim(MAIN_RUN_FRAME, !shown);
    Dim(MAIN_RUN_LEGEND, !shown);
    Visible(MAIN_RUN_INFO, shown);
    SetCtrlVal(Main(), MAIN_RUN_INFO, text);
    WebViewNoteRun(shown ? text : "");
}

void Q31AffBoutonsSet() {
    const bool connected = Q31Connecte();
    const bool idle = connected && SbQ31CrG.status1 == 0;
    const bool noRun = SbComG.run.current == 0 || !connected;
    for (int k : {0, 3, 4, 5}) Dim(kPages[k], !idle);
    for (int k : {1, 2}) Dim(kPages[k], !(idle && noRun));
    for (int j = 0; j < 3; ++j) {
        const int type = SbComG.extensions[j];
        Dim(kExtensions[j], !(idle && type != 0));
        char label[80];
        if (type > 0 && type < 5)
            StrCopy(label, Q31TxtExtensionG[type]);
        else
            StrFormat(label, sizeof label, "%s __%d", Q31TxtLabSetG[6], j + 1);
        SetCtrlAttribute(Main(), kExtensions[j], ATTR_LABEL_TEXT, label);
    }
}

void Q31AffBoutonsProg() {
    const SbQ31Cr& s = SbQ31CrG;
    const int state = 2 * (s.status1 != 0) + 4 * (s.status2 != 0) + 8 * (s.status3 != 0);
    if (state == Q31MemG.startState) return;
    Q31AffBoutonsSet();
    Dim(MAIN_START, !((s.status1 == 0 && SbComG.currentProgram != 0) || s.status3 != 0));
    Dim(MAIN_STOP, !(s.status3 == 0 && s.status1 != 0 && SbComG.progs[0].p105 == 0));
    Dim(MAIN_RESET, s.status2 == 0 && s.status3 == 0);
    Q31MemG.startState = state;
}

void Q31AffCadran() {
    for (int p = 0; p < 60; ++p) {
        const int v = SbQ31CrG.lights[p];
        if (v == Q31MemG.lights[p]) continue;
        SetCtrlIndexVal(Main(), MAIN_DIAL, p, Q31CouleurLumiere(v));
        Q31FsdAffPoint(p, v);
        Q31MemG.lights[p] = v;
    }
    const int h = Modulo60(SbQ31CrG.hourHand);
    if (h != Q31MemG.hourHand) {
        SetCtrlAttribute(Main(), MAIN_DIAL, ATTR_HOUR_HAND, h);
        Q31FsdAffAiguille(true, h);
        Q31MemG.hourHand = h;
    }
    const int m = Modulo60(SbQ31CrG.minuteHand);
    if (m != Q31MemG.minuteHand) {
        SetCtrlAttribute(Main(), MAIN_DIAL, ATTR_MINUTE_HAND, m);
        Q31FsdAffAiguille(false, m);
        Q31MemG.minuteHand = m;
    }
}

void Q31AffChiffres() {
    const SbQ31Cr& s = SbQ31CrG;
    if (s.lightColour != Q31MemG.lightColour) {
        SetCtrlAttribute(Main(), MAIN_BIG_LIGHT, ATTR_ON_COLOR, Q31CouleurLumiere(s.lightColour));
        SetCtrlVal(Main(), MAIN_BIG_LIGHT, 1);
        Q31FsdAffLumiere(s.lightColour);
        Q31MemG.lightColour = s.lightColour;
    }
    if (s.valueA != Q31MemG.minus) {
        SetCtrlVal(Main(), MAIN_MINUS, s.valueA ? 1 : 0);
        Q31FsdAffMoins(s.valueA);
        Q31MemG.minus = s.valueA;
    }
    if (s.digitB != Q31MemG.left) {
        SetCtrlVal(Main(), MAIN_DIGIT_LEFT, s.digitB & 0x7F);
        Q31FsdAffChiffre(0, s.digitB & 0x7F);
        Q31MemG.left = s.digitB;
    }
    if (s.digitC != Q31MemG.right) {
        SetCtrlVal(Main(), MAIN_DIGIT_RIGHT, s.digitC & 0x7F);
        Q31FsdAffChiffre(1, s.digitC & 0x7F);
        Q31MemG.right = s.digitC;
    }
}

void Q31AffVoyants() {
    if (SbQ31CrG.connected != Q31MemG.linkLamp) {
        SetCtrlVal(Main(), MAIN_LINK_LAMP, SbQ31CrG.connected ? 1 : 0);
        Q31MemG.linkLamp = SbQ31CrG.connected;
    }
    if (SbComG.p8Digit1 != Q31MemG.p8Lamp) {
        SetCtrlVal(Main(), MAIN_P8_LAMP, SbComG.p8Digit1 ? 1 : 0);
        Q31MemG.p8Lamp = SbComG.p8Digit1;
    }
    StepFlash(flashes[0], MAIN_FLASH_LIGHT0, SbQ31CrG.light0Flag);
    StepFlash(flashes[1], MAIN_FLASH_ZERO, SbQ31CrG.status4);
    StepInputFlash(flashes[2], MAIN_FLASH_INPUT1, SbCrG.channel[0]);
    StepInputFlash(flashes[3], MAIN_FLASH_INPUT2, SbCrG.channel[1]);
}

void Q31AffExtensions() {
    const bool connected = Q31Connecte();
    for (int j = 0; j < 3; ++j) {
        Visible(kExtValues[j], connected);
        SetCtrlVal(Main(), kExtValues[j], SbComG.extensions[j]);
    }
}

void Q31GererBip() {
    if (SbCrG.soundRequest == 0) return;
    static const char* const kTones[4] = {"Bip444Hz.wav", "Bip533Hz.wav", "Bip695Hz.wav", "Bip888Hz.wav"};
    if (Q31G.soundOn) {
        const bool simulating = SbComG.simulation != 0;
        if (simulating && SbCrG.soundRequest == 2) {
            for (int t = 0; t < 4; ++t) sndPlaySoundA(kTones[t], SND_NOWAIT);
        } else if (simulating && SbCrG.soundRequest == 3) {
            for (int t = 3; t >= 0; --t) sndPlaySoundA(kTones[t], SND_NOWAIT);
        } else if (SbCrG.soundNumber >= 0 && SbCrG.soundNumber < 4) {
            sndPlaySoundA(kTones[SbCrG.soundNumber], SND_NOWAIT);
        }
    }
    SbCrG.soundRequest = 0;
}

void Q31AffRafraichir() {
    Q31AffBoutonsProg();
    Q31AffCadran();
    Q31AffChiffres();
    Q31AffVoyants();
    WebViewPublish();
    ProcessDrawEvents();
    Q31GererBip();
}

namespace {
// The settings pages redraw the mirror after they change the run or the program.
[[maybe_unused]] const bool kMirrorRegistered = (Q31FSetSetMirror(Q31InitAff, Q31AffManche), true);
}  // namespace
