// How every program of ours ends, whatever it did: the one way out of main.
#pragma once

namespace sloshmere::platform {

// Flushes every C stream (the standard ones, which the C++ ones write
// through, and any file still open) and ends the process with `status`.
// On Windows it leaves through TerminateProcess, so no library's exit code
// runs after the output is out: under Wine on Linux, a plain exit() can meet
// Wine's own threads still dying, and the C library then stops the process
// with exit code 127 however the program ended.
[[noreturn]] void endProcess(int status);

} // namespace sloshmere::platform
