#include "fiber.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace sim {

// The script fiber on Linux, where a thread stands in for the fiber and the
// two threads pass a baton, so only one of them runs at a time.
//
// Where it differs from the game's fiber: the hook ends a script with
// DeleteFiber, which drops its stack as it stands, so nothing of the script
// runs again. A thread's stack cannot be dropped while the thread lives, and
// a thread left blocked forever would outlive the host it points into. So the
// end throws ScriptStopped out of the pending scriptWait and lets the stack
// unwind: the module's destructors run, and a catch-all may catch it and wait
// again, which throws again. Nothing done meanwhile is recorded (the host
// marks itself stopping), and module-wide values are left as the wait found
// them unless a destructor on that stack writes one; none of the module's do.
namespace {
// Thrown out of scriptWait when the host ends the script's run.
struct ScriptStopped {};

// Set on the script's own thread for its whole life.
thread_local ScriptFiber* runningFiber = nullptr;
} // namespace

struct ScriptFiber::State {
    ScriptFiber* self = nullptr;
    ScriptEntry entry = nullptr;
    std::mutex mutex;
    std::condition_variable turnChanged;
    bool scriptTurn = false;
    bool stopRequested = false;
    bool started = false;
    bool done = false;
    bool escaped = false;
    std::thread thread;

    void run() {
        runningFiber = self;
        {
            std::unique_lock lock(mutex);
            turnChanged.wait(lock, [this] { return scriptTurn; });
        }
        if (!stopRequested) {
            try {
                entry();
            } catch (const ScriptStopped&) {
            } catch (...) {
                escaped = true;
            }
        }
        std::lock_guard lock(mutex);
        done = true;
        scriptTurn = false;
        turnChanged.notify_all();
    }

    // Gives the turn to the script and waits until it hands it back.
    void handOver() {
        std::unique_lock lock(mutex);
        scriptTurn = true;
        turnChanged.notify_all();
        turnChanged.wait(lock, [this] { return !scriptTurn; });
    }
};

ScriptFiber::ScriptFiber(ScriptEntry entry) : state_(std::make_unique<State>()) {
    state_->self = this;
    state_->entry = entry;
}

ScriptFiber::~ScriptFiber() {
    if (state_->started && !state_->done) {
        {
            std::lock_guard lock(state_->mutex);
            state_->stopRequested = true;
        }
        state_->handOver();
    }
    if (state_->thread.joinable()) {
        state_->thread.join();
    }
}

void ScriptFiber::resume() {
    if (state_->done) {
        return;
    }
    if (!state_->started) {
        state_->started = true;
        state_->thread = std::thread([state = state_.get()] { state->run(); });
    }
    state_->handOver();
}

void ScriptFiber::yield() {
    std::unique_lock lock(state_->mutex);
    // Once stopping, every wait unwinds at once, also one made by a handler
    // that caught the first unwind.
    if (state_->stopRequested) {
        throw ScriptStopped{};
    }
    state_->scriptTurn = false;
    state_->turnChanged.notify_all();
    state_->turnChanged.wait(lock, [this] { return state_->scriptTurn; });
    if (state_->stopRequested) {
        throw ScriptStopped{};
    }
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
