// What a bug report needs to know of the machine the log was written on: the
// game's and the script hook's file versions, and the system, Windows or Wine.
// Read from the files and the system alone: the game is asked nothing.
#pragma once

#include <string>

namespace sloshmere {

struct SystemFacts {
    // The game's executable and the script hook, each as its file name and
    // file version ("RDR2.exe, version 1.0.1491.17").
    std::string game;
    std::string hook;
    // "Windows 10.0.19045", with " under Wine 9.0" when Wine (or Proton, a
    // Wine) runs it.
    std::string system;
};

SystemFacts readSystemFacts();

} // namespace sloshmere
