#include "game_folder.h"

#include "program_file.h"

#include <windows.h>

#include <array>
#include <cwctype>

namespace sloshmere::check {

namespace {

std::wstring wide(const std::string& ascii) {
    return {ascii.begin(), ascii.end()};
}

Presence presenceOf(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return Presence::Missing;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? Presence::Folder : Presence::File;
}

// Windows matches file names without regard to letter case.
bool sameFileName(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i])) {
            return false;
        }
    }
    return true;
}

// "Sloshmere.ini.txt" for "Sloshmere.ini": the name and one extension more,
// the one Explorer hides, so that it shows the entry as the name itself. A
// trailing dot alone is no extension.
bool doublesExtensionOf(std::wstring_view entry, std::wstring_view name) {
    const std::size_t dot = entry.rfind(L'.');
    return dot != std::wstring_view::npos && dot + 1 < entry.size() &&
           sameFileName(entry.substr(0, dot), name);
}

FolderFile look(const std::wstring& folder, std::string name, std::string role) {
    FolderFile file;
    file.presence = presenceOf(folder + wide(name));
    file.name = std::move(name);
    file.role = std::move(role);
    return file;
}

void findDoubled(const std::wstring& folder, const std::array<FolderFile*, 5>& files) {
    WIN32_FIND_DATAW entry{};
    const HANDLE search = FindFirstFileW((folder + L"*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::wstring entryName = entry.cFileName;
        for (FolderFile* file : files) {
            if (doublesExtensionOf(entryName, wide(file->name))) {
                file->doubled.push_back(utf8(entryName));
            }
        }
    } while (FindNextFileW(search, &entry) != 0);
    FindClose(search);
}

// The files that must be 64-bit Windows programs, and what it means when one
// is not: a failed download or a renamed text file under the right name.
// Nothing can load the mod through a hook or a loader that is not a program.
struct ProgramFile {
    FolderFile GameFolder::*file;
    bool blocking;
    // What follows "<name> is <why>, not <role>: ".
    const char* meaning;
    const char* fix;
};
constexpr ProgramFile programFiles[] = {
    {&GameFolder::game, false, "this may not be the game folder.",
     "Run the check in the folder the game's launcher opens from the game's page (in Steam: "
     "right-click the game, Manage, Browse local files)."},
    {&GameFolder::hook, true,
     "a download that failed, or another file under its name. Nothing can run the mod without it.",
     "Download the script hook for Red Dead Redemption 2 again and copy its ScriptHookRDR2.dll "
     "into the game folder."},
    {&GameFolder::loader, true,
     "a download that failed, or another file under its name. Nothing can load the mod without "
     "it.",
     "Copy dinput8.dll again from the script hook's download into the game folder."},
};

} // namespace

void judgePresence(const FolderFile& file, const std::string& why, const std::string& install,
                   Findings& findings) {
    std::string capitalised = install;
    if (!capitalised.empty() && capitalised.front() >= 'a' && capitalised.front() <= 'z') {
        capitalised.front() = static_cast<char>(capitalised.front() - 'a' + 'A');
    }
    if (file.presence == Presence::Folder) {
        findings.push_back({true, file.name + " is a folder, not " + file.role + ".",
                            "Remove the folder " + file.name + " and " + install});
    } else if (file.presence == Presence::Missing && !file.doubled.empty()) {
        const std::string& seen = file.doubled.front();
        findings.push_back(
            {true,
             seen + " is here, but no " + file.name +
                 ". Windows hides known file extensions, "
                 "so it shows " +
                 seen + " as " + file.name + ", but only " + file.name + " counts: " + why,
             "Rename " + seen + " to " + file.name +
                 " (in Explorer, tick View, \"File name extensions\" to see whole names)."});
    } else if (file.presence == Presence::Missing) {
        findings.push_back(
            {true, file.name + ", " + file.role + ", is not in this folder: " + why, capitalised});
    } else {
        for (const std::string& other : file.doubled) {
            findings.push_back({false, other + " is here too; only " + file.name + " counts.",
                                "Delete " + other + "."});
        }
    }
}

std::string utf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int wide = static_cast<int>(text.size());
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, out.data(), size, nullptr, nullptr);
    }
    return out;
}

GameFolder inspectGameFolder(const std::wstring& folder, const FileVersion& checkVersion) {
    GameFolder game;
    game.game = look(folder, "RDR2.exe", "the game");
    game.hook = look(folder, "ScriptHookRDR2.dll", "the script hook");
    game.loader = look(folder, "dinput8.dll", "the ASI loader");
    game.module = look(folder, "Sloshmere.asi", "the mod");
    game.settings = look(folder, "Sloshmere.ini", "the mod's settings");
    findDoubled(folder, {&game.game, &game.hook, &game.loader, &game.module, &game.settings});
    for (FolderFile* file : {&game.game, &game.hook, &game.module}) {
        if (file->presence == Presence::File) {
            file->version = readFileVersion(folder + wide(file->name));
        }
    }

    Findings& findings = game.findings;
    judgePresence(game.game, "this is not the game folder.",
                  "put SloshmereCheck.exe, Sloshmere.asi and Sloshmere.ini in the game folder, "
                  "beside RDR2.exe, and run the check there.",
                  findings);
    judgePresence(game.hook, "it is what runs the mod in the game.",
                  "install the script hook for Red Dead Redemption 2 (ScriptHookRDR2.dll) in "
                  "the game folder.",
                  findings);
    judgePresence(game.loader, "it is what loads .asi files such as Sloshmere.asi into the game.",
                  "install the ASI loader (dinput8.dll) that comes with the script hook in the "
                  "game folder.",
                  findings);
    judgePresence(game.module, "the loader loads no mod without it.",
                  "copy Sloshmere.asi from the download into the game folder.", findings);

    for (const ProgramFile& program : programFiles) {
        FolderFile& file = game.*program.file;
        if (file.presence == Presence::File) {
            file.whyNotAProgram = whyNotAProgram(folder + wide(file.name));
        }
        if (file.whyNotAProgram) {
            findings.push_back({program.blocking,
                                file.name + " is " + *file.whyNotAProgram + ", not " + file.role +
                                    ": " + program.meaning,
                                program.fix});
        }
    }
    // Hook releases are numbered after the game version they are made for; a
    // lower one is the usual reason nothing loads after a game update.
    if (game.hook.version && game.game.version && !game.hook.whyNotAProgram &&
        *game.hook.version < *game.game.version) {
        const std::string gameVersion = versionText(*game.game.version);
        findings.push_back(
            {false,
             "ScriptHookRDR2.dll is version " + versionText(*game.hook.version) +
                 ", made for an older game than this one, version " + gameVersion +
                 ": the hook is probably too old for this game.",
             "Install the script hook's release for game version " + gameVersion + "."});
    }

    if (game.module.presence == Presence::File) {
        const std::string check = versionText(checkVersion);
        if (!game.module.version) {
            findings.push_back({false,
                                "Sloshmere.asi carries no version information, so it is not "
                                "the release this check belongs to.",
                                "Use Sloshmere.asi from the same download as this check."});
        } else if (*game.module.version != checkVersion) {
            findings.push_back({false,
                                "Sloshmere.asi is version " + versionText(*game.module.version) +
                                    ", this check is version " + check +
                                    ": they come from different downloads.",
                                "Use Sloshmere.asi from the same download as this check."});
        }
    }
    return game;
}

} // namespace sloshmere::check
