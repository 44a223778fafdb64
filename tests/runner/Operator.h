// An operator's hands for whole-race flows: script steps that press buttons, fill pages,
// answer dialogs and popups, and read the tables as they stand on screen. The steps run on
// every idle pass of the program's loops, each until it returns true, in order; a stuck
// script ends the main loop instead of hanging the test.
#pragma once

#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/Q31Ihm.h"
#include "platform/cvi.h"
#include "tests/support/TestSupport.h"

namespace e2e {

using Step = std::function<bool()>;
using Steps = std::vector<Step>;
using PanelFn = std::function<int()>;  // the panel as it is when the step runs
using Strings = std::vector<std::string>;

int MainPanel();
PanelFn Page(int page);  // settings page 0..9
int CompetitorPanel();
PanelFn Loaded(const char* resource, int panelId);  // newest loaded panel of that number
// A control an operator can reach: panel loaded and shown, control visible and not dimmed.
bool Usable(int panel, int control);

// Steps. Each waits (returns false) until what it needs is on screen.
Step Press(PanelFn panel, int control);                             // a click on an enabled control
Step SetAndPress(PanelFn panel, int control, int value);            // a switch or list moved by hand
Step Fill(PanelFn panel, std::vector<std::pair<int, int>> values);  // typed values, no commit
Step Answer(const char* resource, int panelId, int button);         // a dialog or popup answered
Step Until(std::function<bool()> condition);
Step Do(std::function<void()> action);  // always done at once
Step Passes(int count);                 // lets the loop turn a few times
// The next file dialog is the real one: `name` typed in it and its button pressed.
Step TypeInFileDialog(std::string name);

// The whole program run with the script; returns the steps done. RunProgram first writes an
// English, silent application record when none is there (the first start of the day);
// RunProgramAsFound takes the folder as it stands (without one, a first start).
size_t RunProgram(Steps steps, long maxPasses = 6000);
size_t RunProgramAsFound(Steps steps, long maxPasses = 6000);
// An application record with every default, sound off, in the given language (255: none
// chosen yet, the first start's question comes).
void WriteApplicationRecord(int language);
// Forgets every shared record, as a new process starts with nothing in memory.
void ForgetEverything();

// Dialog hooks: files the operator picks, in order (relative to the program folder), messages shown.
void PickFiles(std::deque<std::string> paths);
const Strings& MessagesSeen();  // "title|text" of every message popup
void InstallHooks();
void RemoveHooks();

using qstest::TableRows, qstest::TableRowCount;
using qstest::onscreen::Attr, qstest::onscreen::Text;

Strings FilesIn(const std::string& folder);  // names, sorted
template <class T>
T At(const std::string& bytes, size_t offset) {
    T v{};
    if (offset + sizeof v <= bytes.size()) std::memcpy(&v, bytes.data() + offset, sizeof v);
    return v;
}
std::string CString(const std::string& bytes, size_t offset, size_t size);

// What the fault tests watch for: every error box and popup, noted as it opens and answered
// as the operator would, on every pass of the script.
struct SeenBox {
    std::string title, text, detail;
    int secondVisible = -1;
};
struct BoxWatch {
    std::vector<SeenBox> boxes;
    int answer = 1;                 // error box button: 1, or 2 to close the link from it
    std::function<bool()> holdBox;  // while true an open error box is left open (the operator is away)
    int popups = 0;                 // popups answered, questions with their confirm button
    int cancels = 0;                // ... except this many next questions, cancelled
    Strings popupTexts;
    bool boxOpen = false;
};
BoxWatch& Watching();
// The steps with the watcher run before each of them, starting from `start`. Past the
// script's passes every box is answered, so a stuck flow ends.
Steps WithBoxWatch(Steps steps, BoxWatch start = {});

// One dialog run alone or from a step of a program's script (`open` returns when it closes), its
// steps taken on each pass of its loop as RunProgram takes them; returns the steps done.
size_t RunDialog(const std::function<void()>& open, Steps steps, long maxPasses = 2000);
inline std::string Caption(int panel, int control) {  // a button's or a switch's caption
    return qstest::onscreen::Text(panel, control, ATTR_LABEL_TEXT);
}

}  // namespace e2e
