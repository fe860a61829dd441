// The script fiber: the registered script entry runs on it, and scriptWait
// hands control back to the host for one frame. Linux builds hand the baton
// between two threads; Windows builds use real Win32 fibers, as the hook does.
#pragma once

#include "hook_types.h"

#include <memory>

namespace sim {

class ScriptFiber {
public:
    // Nothing runs until the first resume.
    explicit ScriptFiber(ScriptEntry entry);
    // Ends the script's run where it stands, as the hook's DeleteFiber does.
    // The Windows build does exactly that. The Linux build runs the script on
    // a thread, whose stack cannot be dropped: it unwinds it instead (see
    // fiber_thread.cpp), so there the module's destructors and catch handlers
    // on that stack do run, which in the game they never would.
    ~ScriptFiber();
    ScriptFiber(const ScriptFiber&) = delete;
    ScriptFiber& operator=(const ScriptFiber&) = delete;

    // Host side: runs the script until it yields or ends.
    void resume();
    // Script side: hands control back to the host until the next resume.
    void yield();
    // The fiber whose script is making this call, or null when the caller is
    // the host (or a test calling the module directly).
    static ScriptFiber* current();
    // The script entry returned or was stopped.
    [[nodiscard]] bool finished() const;
    // Something other than the host's own stop unwound out of the script
    // entry: in the game this would have ended the process.
    [[nodiscard]] bool escaped() const;

    struct State;

private:
    std::unique_ptr<State> state_;
};

} // namespace sim
