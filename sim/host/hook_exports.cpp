// The nine functions a script hook exports, forwarded to the current host.
// Linux tests link them directly; on Windows the runner hands them to our
// ScriptHookRDR2.dll, which exports them under the hook's decorated names.
#include "hook_exports.h"

#include "host.h"

namespace sim {

namespace {

thread_local int hookDepth = 0;

// Counts the calling thread as inside the host for the guard's life.
struct InsideHost {
    InsideHost() { ++hookDepth; }
    ~InsideHost() { --hookDepth; }
    InsideHost(const InsideHost&) = delete;
    InsideHost& operator=(const InsideHost&) = delete;
};

} // namespace

int hookCallDepth() {
    return hookDepth;
}

} // namespace sim

extern "C" {

void scriptRegister(sim::ModuleHandle module, sim::ScriptEntry entry) {
    const sim::InsideHost inside;
    if (sim::Host* host = sim::Host::current()) {
        host->hookScriptRegister(module, entry);
    }
}

void scriptUnregister(sim::ModuleHandle module) {
    const sim::InsideHost inside;
    if (sim::Host* host = sim::Host::current()) {
        host->hookScriptUnregister(module);
    }
}

void keyboardHandlerRegister(sim::KeyboardHandler handler) {
    const sim::InsideHost inside;
    if (sim::Host* host = sim::Host::current()) {
        host->hookKeyboardRegister(handler);
    }
}

void keyboardHandlerUnregister(sim::KeyboardHandler handler) {
    const sim::InsideHost inside;
    if (sim::Host* host = sim::Host::current()) {
        host->hookKeyboardUnregister(handler);
    }
}

void scriptWait(sim::Dword ms) {
    const sim::InsideHost inside;
    if (sim::Host* host = sim::Host::current()) {
        host->hookScriptWait(ms);
    } else if (sim::ScriptFiber* fiber = sim::ScriptFiber::current()) {
        // A script whose host has gone still hands its fiber back, so that
        // whoever ends it is not left waiting on a loop that never yields.
        fiber->yield();
    }
}

void nativeInit(std::uint64_t hash) {
    const sim::InsideHost inside;
    if (sim::Host* host = sim::Host::current()) {
        host->hookNativeInit(hash);
    }
}

void nativePush64(std::uint64_t value) {
    const sim::InsideHost inside;
    if (sim::Host* host = sim::Host::current()) {
        host->hookNativePush(value);
    }
}

std::uint64_t* nativeCall() {
    const sim::InsideHost inside;
    // With no host the module still gets a readable, zeroed result area of
    // the hook's size.
    static std::uint64_t none[sim::resultSlots] = {};
    sim::Host* host = sim::Host::current();
    return host != nullptr ? host->hookNativeCall() : none;
}

int worldGetAllPeds(int* handles, int capacity) {
    const sim::InsideHost inside;
    sim::Host* host = sim::Host::current();
    return host != nullptr ? host->hookGetAllPeds(handles, capacity) : 0;
}

#ifndef _WIN32
// Linux has no Windows clock; the simulated one is set by the test.
sim::Dword GetTickCount() {
    sim::Host* host = sim::Host::current();
    return host != nullptr ? static_cast<sim::Dword>(host->world.tickMs) : 0U;
}

std::uint64_t GetTickCount64() {
    sim::Host* host = sim::Host::current();
    return host != nullptr ? host->world.tickMs : 0U;
}
#endif
}
