// The simulated clock: a clock in software that fills the same live records as the
// real clock's messages, so the mirror, the second display and the times table work
// without a clock (demonstration and training).
//
// It runs while the link is closed and the simulation flag of SbComG is set
// (Q31SimuActif). Its time base is the layer's local time and Timer(); it follows
// program 0, the synchronisation block and the mode mirrored in SbComG.
//
// Written: SbCrG (time of day, fraction, channel flags, sound request),
// SbQ31CrG (status flags, hands, light-0 flag, second lights, big light, minus sign,
// digits), SbComG.p8Digit1, SbComG.run (runs opened and closed), SbChronoQ31ItG
// (start reference of each countdown), Q31G.simu (synchronisation offset, competitor,
// input counters); new times go to the times store (SbChronoQ31Traiter).
//
// Two-digit display: a remaining time of 100 minutes or seconds or more shows 99
// (a countdown never shows less time than is left); a competitor number of 100 or
// more shows its last two digits (the part of a bib that tells competitors apart).
// The ring shows at most one turn from the current second: arc positions 60 or more
// beyond it are dropped, so a long after-zero span never laps over the seconds still
// counting down. The fraction of the second stays below a whole second even when a
// pass is held up (beep sequence, error box) or the time stands still, so a simulated
// time is never malformed. A time-zone index outside the table shifts nothing.
#pragma once

#include <array>

// Time-zone offsets in hours, indexed by the time-zone index (parameter 9); index 19 is 0.
extern const std::array<double, 36> FUSEAU;

// True while the simulated clock stands in for the clock (link closed, simulation flag set).
bool Q31SimuActif();

// One step; the background task calls it on every pass while Q31SimuActif().
void Q31SimuCr();

// The start/stop key: start (arm for the aligned target), pause, resume, or reset.
void Q31SimuStartStop();
// The reset key: program stopped, ring dark, falling tones.
void Q31SimuReset();
// Requests one beep of tone 0..3 (444, 533, 695, 888 Hz) for 100 ms.
void Q31SimuBip(int tone);

// Callback of the main window's input test buttons; acts on a commit; returns 0.
int FQ31SimuInput(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
// Tells FQ31SimuInput which controls are the input 1 and input 2 buttons (any other
// control is the third button, whose times carry no channel).
void Q31SimuSetInputControls(int input1Ctrl, int input2Ctrl);
// One impulse of a test button: channel 1 or 2, 0 for the third button. With the
// simulation off, or after the tenth simulated impulse, inputs 1 and 2 ask the clock
// for an impulse instead (nothing is sent while the link is closed).
void Q31SimuImpulsion(int channel);

// Effects of the settings pages on the simulated clock:
// opening a run: current run = next run (1..99), next run + 1 (99 wraps to 1), run start
// time = simulated time of day, competitor and both input counters cleared.
void Q31SimuOuvrirManche();
// closing the run: current run 0.
void Q31SimuFermerManche();
// clearing the clock's memory: competitor and both input counters cleared.
void Q31SimuRazCompteurs();
// confirming synchronisation mode 2: the clock waits for a new synchronising impulse,
// digits blank, big light green.
void Q31SimuSynchroMode2();

// Puts the simulated clock back as at program start (countdown state, blink marks,
// impulse count); the records and Q31G are left as they are.
void Q31SimuInit();

// Steps of Q31SimuCr, for the keys and the tests:
// per-second countdown step (a program is running);
void Q31SimuSeconde();
// draws the arc of the remaining time from ring position `from` (the current second);
void Q31SimuLeds(int from);
// sets SbChronoQ31ItG to the time of day at which the countdown reaches zero.
void Q31SimuHeureDepart();
