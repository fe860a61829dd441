#include "host.h"

#include "natives.h"

#include <bit>
#include <cstring>

namespace sim {

namespace {
Host* activeHost = nullptr;
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
}

void NativeCall::returnVec3(Vec3 value) {
    // Each component in the low half of its own 8-byte slot.
    result_[0] = std::bit_cast<std::uint32_t>(value.x);
    result_[1] = std::bit_cast<std::uint32_t>(value.y);
    result_[2] = std::bit_cast<std::uint32_t>(value.z);
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
    // Stop the script first: while it unwinds it may still call into us.
    stopping_ = true;
    fiber_.reset();
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

bool Host::scriptEscaped() const {
    return scriptEscaped_ || (fiber_ && fiber_->escaped());
}

void Host::runFrames(int count) {
    for (int i = 0; i < count; ++i) {
        if (script_ != nullptr) {
            if (!fiber_) {
                fiber_ = std::make_unique<ScriptFiber>(script_);
            }
            fiber_->resume();
        }
        advanceFrame();
    }
}

void Host::sendKey(Dword key, Word repeats, Byte scanCode, Bool isExtended, Bool withAlt,
                   Bool wasDownBefore, Bool isUpNow) {
    if (keyboard_ != nullptr) {
        keyboard_(key, repeats, scanCode, isExtended, withAlt, wasDownBefore, isUpNow);
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
    scriptModule_ = module;
    script_ = entry;
}

void Host::hookScriptUnregister(ModuleHandle module) {
    finish(record(TraceEntry::Kind::ScriptUnregister));
    if (module == scriptModule_) {
        if (fiber_) {
            scriptEscaped_ = scriptEscaped_ || fiber_->escaped();
        }
        stopping_ = true;
        fiber_.reset();
        stopping_ = false;
        script_ = nullptr;
        scriptModule_ = nullptr;
    }
}

void Host::hookKeyboardRegister(KeyboardHandler handler) {
    finish(record(TraceEntry::Kind::KeyboardRegister));
    keyboard_ = handler;
}

void Host::hookKeyboardUnregister(KeyboardHandler handler) {
    finish(record(TraceEntry::Kind::KeyboardUnregister));
    if (handler == keyboard_) {
        keyboard_ = nullptr;
    }
}

void Host::hookScriptWait(Dword ms) {
    TraceEntry& entry = record(TraceEntry::Kind::Wait);
    entry.args.push_back(ms);
    finish(entry);
    callsSinceWait = 0;
    if (ScriptFiber* fiber = ScriptFiber::current()) {
        fiber->yield();
    } else {
        // Called straight from a test, not from the script fiber: the frame
        // ends here and the call returns into the next one.
        advanceFrame();
    }
}

void Host::hookNativeInit(std::uint64_t hash) {
    pendingHash_ = hash;
    pendingArgs_.clear();
    result_.fill(0);
}

void Host::hookNativePush(std::uint64_t value) {
    pendingArgs_.push_back(value);
}

std::uint64_t* Host::hookNativeCall() {
    TraceEntry& entry = record(TraceEntry::Kind::Native);
    entry.hash = pendingHash_;
    entry.args = pendingArgs_;
    entry.argKinds.assign(pendingArgs_.size(), ArgKind::Raw);
    // A hash nobody handles is recorded and answers zeros.
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
