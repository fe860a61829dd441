#include "host.h"

#include "format_text.h"
#include "natives.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace sim {

namespace {
Host* activeHost = nullptr;

// A pointer the module handed over, for a line that names it.
template <typename T>
std::string pointerText(T* pointer) {
    return formatText("0x%llX",
                      static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(pointer)));
}
} // namespace

std::uint64_t NativeCall::raw(std::size_t index) {
    return index < entry_.args.size() ? entry_.args[index] : 0U;
}

void NativeCall::mark(std::size_t index, ArgKind kind) {
    if (index < entry_.argKinds.size()) {
        entry_.argKinds[index] = kind;
    }
}

std::int32_t NativeCall::i32(std::size_t index) {
    mark(index, ArgKind::Int);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(raw(index)));
}

std::uint32_t NativeCall::u32(std::size_t index) {
    return static_cast<std::uint32_t>(raw(index));
}

float NativeCall::f32(std::size_t index) {
    mark(index, ArgKind::Float);
    return std::bit_cast<float>(static_cast<std::uint32_t>(raw(index)));
}

std::string NativeCall::str(std::size_t index) {
    mark(index, ArgKind::String);
    // The hook hands addresses over as 64-bit slots.
    const auto* text = reinterpret_cast<const char*>( // NOLINT(performance-no-int-to-ptr)
        static_cast<std::uintptr_t>(raw(index)));
    std::string value = text == nullptr ? std::string("(null)") : std::string(text);
    entry_.strings.emplace_back(index, value);
    return value;
}

void NativeCall::returnFloat(float value) {
    result_[0] = std::bit_cast<std::uint32_t>(value);
    entry_.resultKind = ResultKind::Float;
}

void NativeCall::returnVec3(Vec3 value) {
    // Each component in the low half of its own 8-byte slot.
    result_[0] = std::bit_cast<std::uint32_t>(value.x);
    result_[1] = std::bit_cast<std::uint32_t>(value.y);
    result_[2] = std::bit_cast<std::uint32_t>(value.z);
    entry_.resultKind = ResultKind::Vector;
}

void NativeCall::note(const std::string& text) {
    if (!entry_.note.empty()) {
        entry_.note += "; ";
    }
    entry_.note += text;
}

Host::Host() {
    activeHost = this;
    installCoreNatives(*this);
    installPromptNatives(*this);
    installEffectsNatives(*this);
    installTroughNatives(*this);
    installScanNatives(*this);
}

Host::~Host() {
    // End the scripts first: on Linux a script unwinds, and may still call
    // into us while it does.
    stopping_ = true;
    for (Script& script : scripts_) {
        script.fiber.reset();
    }
    unregisteredFibers_.clear();
    if (activeHost == this) {
        activeHost = nullptr;
    }
}

Host* Host::current() {
    return activeHost;
}

void Host::handle(std::uint64_t hash, Handler handler) {
    handlers_[hash] = std::move(handler);
}

Host::Handler Host::handlerFor(std::uint64_t hash) const {
    const auto found = handlers_.find(hash);
    return found == handlers_.end() ? Handler{} : found->second;
}

ModuleHandle Host::scriptModule() const {
    return scripts_.empty() ? nullptr : scripts_.front().module;
}

bool Host::scriptEscaped() const {
    const auto escaped = [](const std::unique_ptr<ScriptFiber>& fiber) {
        return fiber && fiber->escaped();
    };
    return scriptEscaped_ ||
           std::ranges::any_of(scripts_, [&](const Script& s) { return escaped(s.fiber); }) ||
           std::ranges::any_of(unregisteredFibers_, escaped);
}

void Host::gameWouldClose(const std::string& what) const {
    if (beforeClose) {
        beforeClose();
    }
    std::fprintf(stderr, "the game would close: %s (frame %llu)\n", what.c_str(),
                 static_cast<unsigned long long>(frame));
    std::fflush(stderr);
    // At once, as the game process ends: no destructor of ours or the
    // module's runs, and no later call is answered. On Windows without even
    // the libraries' detach, which a rule broken inside DllMain could not
    // take while the loader lock is held.
#ifdef _WIN32
    TerminateProcess(GetCurrentProcess(), gameClosedExitCode);
#endif
    std::_Exit(gameClosedExitCode);
}

bool Host::onScriptFiber() const {
    return ScriptFiber::current() != nullptr;
}

void Host::runFrames(int count) {
    for (int i = 0; i < count; ++i) {
        // By index, and nothing kept across a resume: a script may register
        // or unregister while it runs.
        for (std::size_t s = 0; s < scripts_.size(); ++s) { // NOLINT(modernize-loop-convert)
            if (!scripts_[s].fiber) {
                scripts_[s].fiber = std::make_unique<ScriptFiber>(scripts_[s].entry);
            }
            ScriptFiber* fiber = scripts_[s].fiber.get();
            fiber->resume();
        }
        advanceFrame();
    }
}

void Host::endFiber(std::unique_ptr<ScriptFiber>& fiber) {
    if (!fiber) {
        return;
    }
    scriptEscaped_ = scriptEscaped_ || fiber->escaped();
    stopping_ = true;
    fiber.reset();
    stopping_ = false;
}

void Host::endScripts() {
    // A fiber cannot delete itself; the hook ends scripts from its own side.
    if (onScriptFiber()) {
        return;
    }
    for (Script& script : scripts_) {
        endFiber(script.fiber);
    }
    for (std::unique_ptr<ScriptFiber>& fiber : unregisteredFibers_) {
        endFiber(fiber);
    }
    unregisteredFibers_.clear();
}

void Host::restartScripts() {
    if (onScriptFiber()) {
        return;
    }
    finish(record(TraceEntry::Kind::Restart));
    endScripts();
    // The prompts were the ended run's; the game drops them with their owner
    // and hands their ids out again.
    world.endScriptRun();
}

void Host::sendKey(Dword key, Word repeats, Byte scanCode, Bool isExtended, Bool withAlt,
                   Bool wasDownBefore, Bool isUpNow) {
    // A copy: a handler may unregister itself.
    const std::vector<KeyboardHandler> handlers = keyboards_;
    for (const KeyboardHandler handler : handlers) {
        handler(key, repeats, scanCode, isExtended, withAlt, wasDownBefore, isUpNow);
    }
}

void Host::advanceFrame() {
    ++frame;
    world.gameTimer += world.gameTimerStep;
    // Hooks may add further hooks; walk by index so that stays safe (a range
    // loop's iterators would not survive the addition).
    for (std::size_t i = 0; i < frameHooks.size(); ++i) { // NOLINT(modernize-loop-convert)
        frameHooks[i](*this);
    }
}

std::vector<std::string> Host::lines() const {
    std::vector<std::string> out;
    out.reserve(trace.size());
    for (const TraceEntry& entry : trace) {
        out.push_back(describe(entry));
    }
    return out;
}

std::vector<const TraceEntry*> Host::calls(std::uint64_t hash) const {
    std::vector<const TraceEntry*> out;
    for (const TraceEntry& entry : trace) {
        if (entry.kind == TraceEntry::Kind::Native && entry.hash == hash) {
            out.push_back(&entry);
        }
    }
    return out;
}

TraceEntry& Host::record(TraceEntry::Kind kind) {
    TraceEntry& entry = tracing && !stopping_ ? trace.emplace_back() : (scratch_ = TraceEntry{});
    entry.kind = kind;
    entry.frame = frame;
    entry.gameTime = world.gameTimer;
    return entry;
}

void Host::finish(const TraceEntry& entry) const {
    if (traceSink && !stopping_) {
        traceSink(entry);
    }
}

void Host::hookScriptRegister(ModuleHandle module, ScriptEntry entry) {
    finish(record(TraceEntry::Kind::ScriptRegister));
    if (std::ranges::any_of(scripts_, [entry](const Script& s) { return s.entry == entry; })) {
        gameWouldClose(formatText("script main %s registered twice (module %s)",
                                  pointerText(entry).c_str(), pointerText(module).c_str()));
    }
    // No fiber yet: the hook makes it at the first frame after registration.
    scripts_.push_back({module, entry, nullptr});
}

void Host::hookScriptUnregister(ModuleHandle module) {
    finish(record(TraceEntry::Kind::ScriptUnregister));
    const auto found =
        std::ranges::find_if(scripts_, [module](const Script& s) { return s.module == module; });
    if (found == scripts_.end()) {
        gameWouldClose(formatText("scriptUnregister for module %s, which never registered a script",
                                  pointerText(module).c_str()));
    }
    // Only the registration goes; a running script is not stopped here.
    if (found->fiber) {
        unregisteredFibers_.push_back(std::move(found->fiber));
    }
    scripts_.erase(found);
}

void Host::hookKeyboardRegister(KeyboardHandler handler) {
    finish(record(TraceEntry::Kind::KeyboardRegister));
    if (std::ranges::find(keyboards_, handler) != keyboards_.end()) {
        gameWouldClose(
            formatText("keyboard handler %s registered twice", pointerText(handler).c_str()));
    }
    keyboards_.push_back(handler);
}

void Host::hookKeyboardUnregister(KeyboardHandler handler) {
    finish(record(TraceEntry::Kind::KeyboardUnregister));
    const auto found = std::ranges::find(keyboards_, handler);
    if (found == keyboards_.end()) {
        gameWouldClose(formatText("keyboardHandlerUnregister for handler %s, which was never "
                                  "registered",
                                  pointerText(handler).c_str()));
    }
    keyboards_.erase(found);
}

void Host::hookScriptWait(Dword ms) {
    TraceEntry& entry = record(TraceEntry::Kind::Wait);
    entry.args.push_back(ms);
    finish(entry);
    callsSinceWait = 0;
    if (ScriptFiber* fiber = ScriptFiber::current()) {
        fiber->yield();
    } else if (!scripts_.empty()) {
        // The hook can only yield a script's own fiber; from anywhere else
        // (DllMain, the keyboard callback, another thread) it closes the game.
        gameWouldClose(
            formatText("scriptWait(%u) called off the script fiber", static_cast<unsigned>(ms)));
    } else {
        // Beyond the real hook: a test that calls the module's functions
        // itself, with no script registered, waits here; the frame ends and
        // the call returns into the next one.
        advanceFrame();
    }
}

void Host::hookNativeInit(std::uint64_t hash) {
    // Checked at init, as the hook looks the native up there.
    if (!handlers_.contains(hash)) {
        gameWouldClose(formatText("no native 0x%016llX", static_cast<unsigned long long>(hash)));
    }
    pendingHash_ = hash;
    pendingArgs_.clear();
    result_.fill(0);
}

void Host::hookNativePush(std::uint64_t value) {
    // The hook has room for this many and does not check: one more would
    // overwrite its memory.
    if (pendingArgs_.size() >= argumentSlots) {
        gameWouldClose(formatText("%zu arguments pushed for native 0x%016llX, room for %zu",
                                  pendingArgs_.size() + 1,
                                  static_cast<unsigned long long>(pendingHash_), argumentSlots));
    }
    pendingArgs_.push_back(value);
}

std::uint64_t* Host::hookNativeCall() {
    TraceEntry& entry = record(TraceEntry::Kind::Native);
    entry.hash = pendingHash_;
    entry.args = pendingArgs_;
    entry.argKinds.assign(pendingArgs_.size(), ArgKind::Raw);
    // Only a call never begun with nativeInit finds no handler; it answers
    // the cleared area.
    if (const auto found = handlers_.find(pendingHash_); found != handlers_.end()) {
        NativeCall call(entry, result_.data(), truth);
        found->second(call);
    }
    std::memcpy(entry.result, result_.data(), sizeof entry.result);
    finish(entry);
    ++callsSinceWait;
    return withholdResultArea ? nullptr : result_.data();
}

int Host::hookGetAllPeds(int* handles, int capacity) {
    TraceEntry& entry = record(TraceEntry::Kind::GetAllPeds);
    entry.args.push_back(static_cast<std::uint32_t>(capacity));
    int written = 0;
    for (const Ped& ped : world.peds) {
        if (written >= capacity || handles == nullptr) {
            break;
        }
        handles[written++] = ped.handle;
    }
    const int count = world.reportedPedCount.value_or(written);
    entry.result[0] = static_cast<std::uint32_t>(count);
    finish(entry);
    return count;
}

} // namespace sim
