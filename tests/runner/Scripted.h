// An operator's script for headless flows: steps run on every idle pass of the
// program's loops until each returns true, in order. A stuck script ends the
// main loop instead of hanging the test.
#pragma once

#include <functional>
#include <vector>

#include "app/Q31Ihm.h"
#include "platform/cvi.h"

namespace qstest {

struct Script {
    std::vector<std::function<bool()>> steps;
    size_t step = 0;
    long passes = 0;
    long maxPasses = 20000;
};

inline Script& CurrentScript() {
    static Script s;
    return s;
}

inline void RunScriptStep() {
    Script& s = CurrentScript();
    ++s.passes;
    if (s.passes > s.maxPasses) Q31QuitG = 1;
    if (s.step < s.steps.size() && s.steps[s.step]()) ++s.step;
}

// Installs the steps as the idle hook; removed again on destruction.
class Scripted {
public:
    explicit Scripted(std::vector<std::function<bool()>> steps, long maxPasses = 20000) {
        CurrentScript() = Script{std::move(steps), 0, 0, maxPasses};
        SetIdleHook(RunScriptStep);
    }
    ~Scripted() { SetIdleHook(nullptr); }
    Scripted(const Scripted&) = delete;
    Scripted& operator=(const Scripted&) = delete;
    size_t Done() const { return CurrentScript().step; }
    long Passes() const { return CurrentScript().passes; }
};

}  // namespace qstest
