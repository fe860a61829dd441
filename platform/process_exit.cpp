#include "process_exit.h"

#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

namespace sloshmere::platform {

void endProcess(int status) {
    std::fflush(nullptr);
#ifdef _WIN32
    // Nothing of ours is left to run: the caller has returned from its work,
    // every file it wrote is closed and every thread it started has ended.
    // The process's own handle cannot fail to end it; _Exit stays for form.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
    std::_Exit(status);
#else
    // Natively the exit handlers are wanted: the sanitizers' leak check is one.
    std::exit(status);
#endif
}

} // namespace sloshmere::platform
