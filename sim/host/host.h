// The simulated host: our stand-in for the script hook and the game. It takes
// the module's hook calls, dispatches natives by hash to handlers over the
// world, records every call in order, and runs each registered script on a
// fiber so that scriptWait yields exactly one frame. It is as strict as the
// real hook: a call the hook would answer by closing the game ends the run.
#pragma once

#include "fiber.h"
#include "hook_types.h"
#include "trace.h"
#include "world.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace sim {

// One native call as a handler sees it. Reading an argument also records how
// it was read, so the trace prints floats as floats and strings as text.
class NativeCall {
public:
    // `truth` is what a boolean answer of true writes into the result slot.
    NativeCall(TraceEntry& entry, std::uint64_t* result, std::uint32_t truth)
        : entry_(entry), result_(result), truth_(truth) {}

    [[nodiscard]] std::size_t argCount() const { return entry_.args.size(); }
    std::uint64_t raw(std::size_t index);
    std::int32_t i32(std::size_t index);
    std::uint32_t u32(std::size_t index);
    float f32(std::size_t index);
    // Reads the NUL-terminated string the argument points at.
    std::string str(std::size_t index);
    // The module memory the argument points at (an out-parameter or record).
    template <typename T>
    T* address(std::size_t index) {
        mark(index, ArgKind::Address);
        // The hook hands addresses over as 64-bit slots.
        return reinterpret_cast<T*>( // NOLINT(performance-no-int-to-ptr)
            static_cast<std::uintptr_t>(raw(index)));
    }

    void returnRaw(std::uint64_t value) {
        result_[0] = value;
        entry_.resultKind = ResultKind::Raw;
    }
    void returnInt(std::int32_t value) {
        result_[0] = static_cast<std::uint32_t>(value);
        entry_.resultKind = ResultKind::Int;
    }
    void returnUint(std::uint32_t value) {
        result_[0] = value;
        entry_.resultKind = ResultKind::Uint;
    }
    void returnBool(bool value) {
        result_[0] = value ? truth_ : 0U;
        entry_.resultKind = ResultKind::Boolean;
    }
    void returnFloat(float value);
    void returnVec3(Vec3 value);
    // Adds words to the trace entry (what a record held, what was written).
    void note(const std::string& text);

private:
    void mark(std::size_t index, ArgKind kind);

    TraceEntry& entry_;
    std::uint64_t* result_;
    std::uint32_t truth_;
};

// What the hook holds for one native call: room for this many pushed
// arguments, and a result area of this many 8-byte slots.
inline constexpr std::size_t argumentSlots = 32;
inline constexpr std::size_t resultSlots = 32;
// The exit code of a run that broke one of the hook's rules.
inline constexpr int gameClosedExitCode = 3;

class Host {
public:
    using Handler = std::function<void(NativeCall&)>;
    using FrameHook = std::function<void(Host&)>;

    // Becomes the host the module's hook calls reach; one at a time.
    Host();
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // The host the hook calls reach, or null when none exists.
    static Host* current();

    World world;
    std::vector<TraceEntry> trace;
    // Off for long soaks and benchmarks, where the trace would only grow.
    bool tracing = true;
    // What every boolean native answers for true. The game promises only a
    // non-zero low half, so a test may answer 2, 0x80000000 or 0xFFFFFFFF to
    // see that the module reads them all as true.
    std::uint32_t truth = 1;
    // Beyond the real hook, which always hands back its one result area:
    // when set, nativeCall runs the call but hands back a null pointer, as a
    // faulty hook might; the module must read zeros.
    bool withholdResultArea = false;
    std::uint64_t frame = 0;
    // The names the module has asked GET_HASH_KEY for, by hash, so a trace can
    // name the hashes it passes back.
    std::unordered_map<std::uint32_t, std::string> hashedNames;
    // Run after every frame, in order: the scenario's way to change the world.
    // A deque, so a hook that adds another does not move the one running.
    std::deque<FrameHook> frameHooks;

    // Called with every trace entry once it is complete (its result and note
    // written), whether or not `tracing` keeps it: the way to stream a long
    // run's trace somewhere without holding it all.
    std::function<void(const TraceEntry&)> traceSink;
    // Native calls made since the script's last wait; 0 inside the first
    // call of a resume, which is how a pass's start can be told from the
    // waits inside a pass.
    std::uint64_t callsSinceWait = 0;

    // Teaches the host a native. A later handler for the same hash replaces
    // the earlier one, so a test can override a single answer.
    void handle(std::uint64_t hash, Handler handler);
    // The handler now taught for `hash`, or an empty one; so an override can
    // add to an answer instead of replacing it.
    [[nodiscard]] Handler handlerFor(std::uint64_t hash) const;

    // Runs the registered scripts for `count` frames (one resume each). A
    // script's fiber is made at the first frame after its registration.
    void runFrames(int count);
    // Ends every script's run as the hook does before it unloads modules: the
    // fiber is deleted where it stands and nothing more of that run executes.
    // Registrations stay; the module's own detach takes them back.
    void endScripts();
    // The game ends and restarts its script threads (a story reload): every
    // running script is ended as by endScripts, the prompts its run made are
    // gone from the world and their ids free for the next prompts made, and
    // at the next frame each registered main starts again from the top on a
    // new fiber, with the module's data as it was.
    void restartScripts();
    // Delivers one key message to the registered keyboard callback.
    void sendKey(Dword key, Word repeats, Byte scanCode, Bool isExtended, Bool withAlt,
                 Bool wasDownBefore, Bool isUpNow);
    // Ends the current frame: the clock moves and the frame hooks run.
    void advanceFrame();

    [[nodiscard]] bool scriptRegistered() const { return !scripts_.empty(); }
    [[nodiscard]] bool keyboardRegistered() const { return !keyboards_.empty(); }
    // The module handle the first registered script came with, or null.
    [[nodiscard]] ModuleHandle scriptModule() const;
    // True when an exception unwound out of a script entry. The real hook
    // catches it, shows "An exception occurred" and parks that script for
    // good while the game runs on; a run counts it against the module.
    [[nodiscard]] bool scriptEscaped() const;

    // What the game does when the module breaks one of the hook's rules: the
    // real hook shows a message box and ends the process. Prints "the game
    // would close: <what> (frame N)" as one line on the standard error and
    // ends the process with gameClosedExitCode. Never returns.
    [[noreturn]] void gameWouldClose(const std::string& what) const;
    // Run just before that line is printed, e.g. to give the standard streams
    // back to the terminal after a watch on the module's output.
    std::function<void()> beforeClose;

    // The trace in words, one line per entry.
    [[nodiscard]] std::vector<std::string> lines() const;
    // The entries for one native, in order.
    [[nodiscard]] std::vector<const TraceEntry*> calls(std::uint64_t hash) const;

    // The hook's side, reached through the exported functions.
    void hookScriptRegister(ModuleHandle module, ScriptEntry entry);
    void hookScriptUnregister(ModuleHandle module);
    void hookKeyboardRegister(KeyboardHandler handler);
    void hookKeyboardUnregister(KeyboardHandler handler);
    void hookScriptWait(Dword ms);
    void hookNativeInit(std::uint64_t hash);
    void hookNativePush(std::uint64_t value);
    std::uint64_t* hookNativeCall();
    int hookGetAllPeds(int* handles, int capacity);

private:
    TraceEntry& record(TraceEntry::Kind kind);
    void finish(const TraceEntry& entry) const;

    struct Script {
        ModuleHandle module = nullptr;
        ScriptEntry entry = nullptr;
        // Made at the first frame after registration; null until then and
        // after the run is ended.
        std::unique_ptr<ScriptFiber> fiber;
    };

    // Deletes `fiber` as the hook deletes a script's fiber (see fiber.h).
    void endFiber(std::unique_ptr<ScriptFiber>& fiber);
    [[nodiscard]] bool onScriptFiber() const;

    std::unordered_map<std::uint64_t, Handler> handlers_;
    std::vector<Script> scripts_;
    // Fibers of scripts whose registration was taken back while they ran:
    // unregistering does not stop a script, so they wait here, never resumed
    // again, until endScripts or the host's end deletes them.
    std::vector<std::unique_ptr<ScriptFiber>> unregisteredFibers_;
    std::vector<KeyboardHandler> keyboards_;
    bool scriptEscaped_ = false;
    // Set while a script fiber is being ended. On Linux the end unwinds the
    // script's stack by throwing out of scriptWait, and the module's catch at
    // the pass boundary may wait once more on the way out; the game deletes
    // its fiber without running any of the script, so nothing the script does
    // then is recorded.
    bool stopping_ = false;

    std::uint64_t pendingHash_ = 0;
    std::vector<std::uint64_t> pendingArgs_;
    // The hook's one result area: nativeCall always hands back this buffer,
    // which the next call reuses; nativeInit clears it with the arguments.
    std::array<std::uint64_t, resultSlots> result_{};
    TraceEntry scratch_;
};

// How many of the hook's functions the calling thread is inside right now; 0
// while it runs the module's own code. Frame hooks and native handlers run at
// depth 1 or more, so a test can tell the module's heap use from the host's.
int hookCallDepth();

} // namespace sim
