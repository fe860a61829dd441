// What lies in the folder the check runs from: the game's executable, the
// script hook, the ASI loader and the module's two files, with the versions
// of those that carry one, and look-alike names that hidden extensions make.
#pragma once

#include "file_version.h"
#include "finding.h"

#include <optional>
#include <string>
#include <vector>

namespace sloshmere::check {

enum class Presence { Missing, File, Folder };

// One file the module needs beside the game's executable.
struct FolderFile {
    // Its name, as the game, the hook and the loader look for it.
    std::string name;
    // What it is, in a player's words ("the script hook").
    std::string role;
    Presence presence = Presence::Missing;
    // Read for the game, the hook and the module; none for the others, or
    // when the file has no version resource.
    std::optional<FileVersion> version;
    // For the game, the hook and the loader: why the file is not a 64-bit
    // Windows program ("empty"), none when it is one.
    std::optional<std::string> whyNotAProgram;
    // Names in the folder that are this one with a further extension, such
    // as "Sloshmere.ini.txt": with known extensions hidden, Windows shows
    // them under this very name.
    std::vector<std::string> doubled;
};

struct GameFolder {
    FolderFile game;
    FolderFile hook;
    FolderFile loader;
    FolderFile module;
    FolderFile settings;
    // About the first four; what matters about the settings file is decided
    // by the settings diagnosis, from what the module makes of it.
    Findings findings;
};

// Looks at `folder`, a path ending in a backslash (reading, never changing
// anything), and compares the module's version with the check's own.
GameFolder inspectGameFolder(const std::wstring& folder, const FileVersion& checkVersion);

// Adds to `findings` what a player must know about one file the module cannot
// do without: missing (`why` says what is lost), a folder in its place, or
// there only under a doubled name; and, when it is there, any doubled names
// beside it. `install` is the fix for a missing file, starting in lower case:
// "copy Sloshmere.asi from the download into the game folder."
void judgePresence(const FolderFile& file, const std::string& why, const std::string& install,
                   Findings& findings);

// A file name or path as UTF-8, for the report.
std::string utf8(const std::wstring& text);

} // namespace sloshmere::check
