// The library's entry point: registers the script and the keyboard callback
// with the hook on attach and takes both back on detach.
#pragma once

#include "host/platform.h"

// Returns TRUE for every notification; the module never refuses to load.
extern "C" BOOL APIENTRY DllMain(HMODULE module, DWORD reason, LPVOID reserved);
