// The script fiber on Windows: a real Win32 fiber on the host's own thread,
// made at the first resume. Ending the script deletes its fiber, as the hook
// does at unload and when the game restarts its scripts: the script's stack is
// dropped as it stands, without unwinding, so nothing on it runs again.
#include "fiber.h"

namespace sim {

namespace {
// The fiber whose script runs now; null while the host runs.
thread_local ScriptFiber* runningFiber = nullptr;
// The host's own fiber: its thread, converted on the first resume and kept a
// fiber for the rest of its life.
thread_local LPVOID threadFiber = nullptr;
} // namespace

struct ScriptFiber::State {
    ScriptEntry entry = nullptr;
    LPVOID fiber = nullptr;
    LPVOID hostFiber = nullptr;
    bool done = false;
    bool escaped = false;

    static void WINAPI run(LPVOID parameter) {
        auto* state = static_cast<State*>(parameter);
        try {
            state->entry();
        } catch (...) {
            state->escaped = true;
        }
        state->done = true;
        // Returning from a fiber's start routine ends the whole thread, so a
        // finished script parks here and is never resumed again.
        for (;;) {
            SwitchToFiber(state->hostFiber);
        }
    }
};

ScriptFiber::ScriptFiber(ScriptEntry entry) : state_(std::make_unique<State>()) {
    state_->entry = entry;
}

ScriptFiber::~ScriptFiber() {
    // A fiber cannot delete itself; the host ends scripts only from its own
    // side, never while it runs on the script's fiber.
    if (state_->fiber != nullptr && runningFiber != this) {
        DeleteFiber(state_->fiber);
    }
}

void ScriptFiber::resume() {
    if (state_->done) {
        return;
    }
    if (threadFiber == nullptr) {
        threadFiber = ConvertThreadToFiber(nullptr);
        if (threadFiber == nullptr) {
            return;
        }
    }
    state_->hostFiber = threadFiber;
    if (state_->fiber == nullptr) {
        state_->fiber = CreateFiber(0, &State::run, state_.get());
        if (state_->fiber == nullptr) {
            return;
        }
    }
    ScriptFiber* const outer = runningFiber;
    runningFiber = this;
    SwitchToFiber(state_->fiber);
    runningFiber = outer;
}

void ScriptFiber::yield() {
    SwitchToFiber(state_->hostFiber);
}

ScriptFiber* ScriptFiber::current() {
    return runningFiber;
}

bool ScriptFiber::finished() const {
    return state_->done;
}

bool ScriptFiber::escaped() const {
    return state_->escaped;
}

} // namespace sim
