// The players' setup check, SloshmereCheck.exe, run as a player runs it: from
// a game folder, beside the game, the hook, the loader and the mod. Each case
// prepares such a folder, runs the check there and holds its report and exit
// code against the expected ones; then it loads Sloshmere.asi into the
// simulated game with the same settings file and holds the label and the
// control the check announced against the ones the module sends the game.
#include "game.h"
#include "host.h"
#include "settings/controls.h"
#include "stage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

// What lies where Sloshmere.ini belongs.
enum class Settings { File, None, Folder, DoubledExtension };

struct FolderCase {
    const char* name;
    Settings settings;
    // The settings file's bytes; empty for the sample players download.
    std::string ini;
    // Changes to the complete game folder: a name in the folder and the built
    // file it is a copy of, "" to leave the name out, "(empty)" for an empty
    // file or "text:" and the file's text.
    std::map<std::string, std::string> files;
    // Phrases the report must hold, blanks and line breaks aside.
    std::vector<std::string> says;
    std::string lastLine;
    DWORD exitCode;
    // Phrases it must not hold.
    std::vector<std::string> doesNotSay = {};
};

// A game folder with everything in place: each name and the built file in the
// build's bin folder it is a copy of. The loader is only looked for.
const std::map<std::string, std::string> completeFolder = {
    {"RDR2.exe", "stand_in_game.exe"},
    {"ScriptHookRDR2.dll", "stand_in_hook.dll"},
    {"dinput8.dll", "ScriptHookRDR2.dll"},
    {"Sloshmere.asi", "Sloshmere.asi"},
    {"SloshmereCheck.exe", "SloshmereCheck.exe"},
};

// ASCII text as Notepad saves it as "Unicode": UTF-16 in little-endian order,
// behind its byte-order mark.
std::string utf16(std::string_view text) {
    std::string bytes = "\xFF\xFE";
    for (const char c : text) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

const std::string fixBom = "Fix this first: Save Sloshmere.ini without a byte-order mark (in "
                           "Notepad: File, Save As, Encoding \"UTF-8\", not \"UTF-8 with BOM\").";

const std::vector<FolderCase> folderCases = {
    {"the sample settings",
     Settings::File,
     "",
     {},
     {"Sloshmere setup check, version " SLOSHMERE_VERSION ".0 Folder:",
      "This report is saved as SloshmereCheck.txt in this folder: attach it to a bug report. "
      "GAME FOLDER RDR2.exe the game version 1.0.1491.17",
      "ScriptHookRDR2.dll the script hook version 1.0.1491.17", "dinput8.dll the ASI loader here",
      "Sloshmere.asi the mod version " SLOSHMERE_VERSION ".0", "(DrownInput, line 33)",
      "log: off (Log, line 40)"},
     "The prompt will read \"Drown\" on INPUT_CONTEXT_Y.",
     0,
     {"LAST GAME SESSION", "NOTES", "too old"}},
    {"a script hook older than the game",
     Settings::File,
     "",
     {{"ScriptHookRDR2.dll", "stand_in_old_hook.dll"}},
     {"ScriptHookRDR2.dll the script hook version 1.0.1436.31",
      "NOTES - ScriptHookRDR2.dll is version 1.0.1436.31, made for an older game than this "
      "one, version 1.0.1491.17: the hook is probably too old for this game. Fix: Install the "
      "script hook's release for game version 1.0.1491.17."},
     "The prompt will read \"Drown\" on INPUT_CONTEXT_Y.",
     0},
    {"the log on, and the log of the last session",
     Settings::File,
     "[Sloshmere]\nDrownInput = INPUT_JUMP\nLog = 1\n",
     {{"Sloshmere.log",
       "text:Sloshmere 0.1.0 log, begun 2024-05-01 21:14:03\r\nGame folder: C:\\Games\r\nentry "
       "3\r\n"
       "entry 4\r\nentry 5\r\nentry 6\r\nentry 7\r\nentry 8\r\nentry 9\r\nentry 10\r\nentry 11\r\n"
       "21:20:00 pass 9: the module was unloaded\r\n"}},
     {"log: on, Sloshmere.log in this folder (Log, line 3)",
      "LAST GAME SESSION (Sloshmere.log) begun 2024-05-01 21:14:03; its last lines: entry 3",
      "entry 11 21:20:00 pass 9: the module was unloaded"},
     "The prompt will read \"Drown\" on INPUT_JUMP.",
     0,
     {"Game folder: C:", "Log = 1\" on"}},
    {"a Log that looks meant as on, a log shorter than ten lines, Sloshmere.ini. with a dot",
     Settings::File,
     "[Sloshmere]\nDrownInput = INPUT_JUMP\nLog = On!\n",
     {{"Sloshmere.log", "text:Sloshmere 0.1.0 log, begun 2024-05-01 21:14:03\r\nlast\r\n"},
      {"Sloshmere.ini.", "text:"}},
     {"its last lines: Sloshmere 0.1.0 log, begun 2024-05-01 21:14:03 last",
      "log: off (Log, line 3)",
      "NOTES - \"Log = On!\" on line 3 keeps the log off: the mod turns it on only for 1, true, "
      "yes or on. Fix: Write line 3 as Log = 1."},
     "The prompt will read \"Drown\" on INPUT_JUMP.",
     0,
     {"is here too"}},
    {"an empty script hook",
     Settings::File,
     "",
     {{"ScriptHookRDR2.dll", "(empty)"}},
     {"ScriptHookRDR2.dll the script hook here, but empty",
      "ScriptHookRDR2.dll is empty, not the script hook"},
     "Fix this first: Download the script hook for Red Dead Redemption 2 again and copy its "
     "ScriptHookRDR2.dll into the game folder.",
     1,
     {"too old"}},
    {"an ASI loader that is a text file",
     Settings::File,
     "",
     {{"dinput8.dll", "text:<html>404 Not Found</html>"}},
     {"dinput8.dll the ASI loader here, but not a Windows program"},
     "Fix this first: Copy dinput8.dll again from the script hook's download into the game "
     "folder.",
     1},
    {"a section whose name differs in its first letter",
     Settings::File,
     "[Xloshmere]\nDrownInput = INPUT_JUMP\n",
     {},
     {"Sloshmere.ini has no [Sloshmere] section header"},
     "Fix this first: Put the line [Sloshmere] in Sloshmere.ini, above DrownText and "
     "DrownInput.",
     1},
    {"a label of one's own, CR LF, a control that shares its hash",
     Settings::File,
     "[Sloshmere]\r\nDrownText = Ertr\xC3\xA4nken \xE2\x82\xAC\xF0\x9F\x92\xA7\r\nDrownInput = "
     "INPUT_FRONTEND_RDOWN\r\n",
     {},
     {"(DrownText, line 2)"},
     "The prompt will read \"Ertr\xC3\xA4nken \xE2\x82\xAC\xF0\x9F\x92\xA7\" on "
     "INPUT_FRONTEND_RDOWN.",
     0,
     {"not UTF-8"}},
    {"no settings file",
     Settings::None,
     "",
     {},
     {"Sloshmere.ini the mod's settings MISSING", "control: none"},
     "Fix this first: Copy Sloshmere.ini from the download into the game folder.",
     1},
    {"a folder named Sloshmere.ini",
     Settings::Folder,
     "",
     {},
     {"Sloshmere.ini is a folder, not the mod's settings."},
     "Fix this first: Remove the folder Sloshmere.ini and copy Sloshmere.ini from the download "
     "into the game folder.",
     1},
    {"Sloshmere.ini.txt",
     Settings::DoubledExtension,
     "[Sloshmere]\nDrownInput = INPUT_JUMP\n",
     {},
     {"Sloshmere.ini.txt is here, but no Sloshmere.ini."},
     "Fix this first: Rename Sloshmere.ini.txt to Sloshmere.ini (in Explorer, tick View, \"File "
     "name extensions\" to see whole names).",
     1},
    {"Sloshmere.asi.txt",
     Settings::File,
     "",
     {{"Sloshmere.asi", ""}, {"Sloshmere.asi.txt", "Sloshmere.asi"}},
     {"Sloshmere.asi the mod MISSING", "Sloshmere.asi.txt is here, but no Sloshmere.asi."},
     "Fix this first: Rename Sloshmere.asi.txt to Sloshmere.asi (in Explorer, tick View, \"File "
     "name extensions\" to see whole names).",
     1},
    {"a UTF-8 byte-order mark before the header",
     Settings::File,
     "\xEF\xBB\xBF[Sloshmere]\r\nDrownInput = INPUT_JUMP\r\n",
     {},
     {"Sloshmere.ini starts with a byte-order mark"},
     fixBom,
     1},
    {"saved as UTF-16",
     Settings::File,
     utf16("[Sloshmere]\nDrownInput = INPUT_JUMP\n"),
     {},
     {"Sloshmere.ini starts with a byte-order mark"},
     fixBom,
     1},
    {"the section in lower case",
     Settings::File,
     "[sloshmere]\nDrownInput = INPUT_JUMP\n",
     {},
     {"The section header on line 1 is [sloshmere]"},
     "Fix this first: Write the header on line 1 as [Sloshmere].",
     1},
    {"the key in lower case",
     Settings::File,
     "[Sloshmere]\ndrowninput = INPUT_JUMP\n",
     {},
     {"Line 2 sets drowninput"},
     "Fix this first: Write drowninput on line 2 as DrownInput.",
     1},
    {"the key before the header",
     Settings::File,
     "DrownInput = INPUT_JUMP\n[Sloshmere]\nDrownText = Drown\n",
     {},
     {"DrownInput on line 1 is before any section header, not in [Sloshmere]"},
     "Fix this first: Move line 1 under the [Sloshmere] header.",
     1},
    {"the key in another section",
     Settings::File,
     "[Sloshmere]\nDrownText = Drown\n[Keys]\nDrownInput = INPUT_JUMP\n",
     {},
     {"DrownInput on line 4 is in the section [Keys], not in [Sloshmere]"},
     "Fix this first: Move line 4 under the [Sloshmere] header.",
     1},
    {"a typo in the control name",
     Settings::File,
     "[Sloshmere]\nDrownInput = INPUT_JMUP\n",
     {},
     {"control: none (Sloshmere.ini names none the mod knows)",
      "The nearest names it knows: INPUT_JUMP, INPUT_MAP, INPUT_DROP."},
     "Fix this first: Write on line 2 a control name the mod knows, such as INPUT_JUMP "
     "(README.txt lists them all).",
     1},
    {"the control name in lower case",
     Settings::File,
     "[Sloshmere]\nDrownInput = input_jump\n",
     {},
     {"the mod knows this one only in capitals"},
     "Fix this first: Write line 2 as DrownInput = INPUT_JUMP.",
     1},
    {"the control name in quotes, with a note",
     Settings::File,
     "[Sloshmere]\nDrownInput = \"INPUT_JUMP\" ; hold to drown\n",
     {},
     {"the \";\" and all after it are part of the name; the quotes are part of the name."},
     "Fix this first: Write line 2 as DrownInput = INPUT_JUMP.",
     1},
    {"the label in quotes",
     Settings::File,
     "[Sloshmere]\nDrownText = \"Drown\"\nDrownInput = INPUT_JUMP\n",
     {},
     {"NOTES - The label on line 2 is in quotes"},
     "The prompt will read '\"Drown\"' on INPUT_JUMP.",
     0},
    {"a note after the label",
     Settings::File,
     "[Sloshmere]\nDrownText = Drown # the label\nDrownInput = INPUT_JUMP\n",
     {},
     {"NOTES - The label on line 2 holds \"# the label\""},
     "The prompt will read \"Drown # the label\" on INPUT_JUMP.",
     0},
    {"no control yet",
     Settings::File,
     "[Sloshmere]\nDrownText = Drown\n",
     {},
     {"Sloshmere.ini names no control yet"},
     "Fix this first: Add the line DrownInput = INPUT_CONTEXT_Y under [Sloshmere] in "
     "Sloshmere.ini.",
     1},
    {"not the game folder",
     Settings::File,
     "",
     {{"RDR2.exe", ""}, {"ScriptHookRDR2.dll", ""}, {"dinput8.dll", ""}},
     {"RDR2.exe the game MISSING", "ScriptHookRDR2.dll, the script hook, is not in this folder",
      "dinput8.dll, the ASI loader, is not in this folder"},
     "Fix this first: Put SloshmereCheck.exe, Sloshmere.asi and Sloshmere.ini in the game "
     "folder, beside RDR2.exe, and run the check there.",
     1},
    {"Sloshmere.asi of another release",
     Settings::File,
     "",
     {{"Sloshmere.asi", "stand_in_hook.dll"}},
     {"NOTES - Sloshmere.asi is version 1.0.1491.17, this check is version " SLOSHMERE_VERSION
      ".0: they come from different downloads."},
     "The prompt will read \"Drown\" on INPUT_CONTEXT_Y.",
     0},
};

// Labels that are not UTF-8, each wrong in one way only: a lead byte no
// character starts with, an overlong form, a surrogate, and continuation
// bytes missing, out of range or cut short by the line's end.
std::vector<FolderCase> withLabelsNotUtf8(std::vector<FolderCase> cases) {
    for (const std::string label :
         {"Ertr\xE4nken", "\x80", "\xC1\xBF", "\xF5\x80\x80\x80", "\xE0\x80\xAF", "\xED\xA0\x80",
          "\xE2\x82x", "\xC3\xC3", "\xF0\x9F\x92"}) {
        cases.push_back({"a label that is not UTF-8",
                         Settings::File,
                         "[Sloshmere]\nDrownText = " + label + "\nDrownInput = INPUT_JUMP\n",
                         {},
                         {"NOTES - The label's bytes are not UTF-8", "Encoding \"UTF-8\""},
                         "The prompt will read \"" + label + "\" on INPUT_JUMP.",
                         0});
    }
    return cases;
}

const fs::path& binaries() {
    static const fs::path folder = sim::Game::executableFolder();
    return folder;
}

// Puts the case's settings in `folder`, in place of whatever was there.
void arrangeSettings(const fs::path& folder, const FolderCase& c) {
    fs::remove_all(folder / "Sloshmere.ini");
    fs::remove_all(folder / "Sloshmere.ini.txt");
    const auto write = [&c](const fs::path& path) {
        if (c.ini.empty()) {
            fs::copy_file(binaries() / "Sloshmere.ini", path);
        } else {
            std::ofstream(path, std::ios::binary) << c.ini;
        }
    };
    switch (c.settings) {
    case Settings::File:
        write(folder / "Sloshmere.ini");
        break;
    case Settings::DoubledExtension:
        write(folder / "Sloshmere.ini.txt");
        break;
    case Settings::Folder:
        fs::create_directory(folder / "Sloshmere.ini");
        break;
    case Settings::None:
        break;
    }
}

// The path as Windows takes it verbatim, so that a name keeps a trailing dot.
fs::path verbatim(const fs::path& path) {
    return L"\\\\?\\" + fs::absolute(path).wstring();
}

void arrangeFolder(const fs::path& folder, const FolderCase& c) {
    fs::remove_all(verbatim(folder));
    fs::create_directories(folder);
    std::map<std::string, std::string> files = completeFolder;
    for (const auto& [name, source] : c.files) {
        files[name] = source;
    }
    for (const auto& [name, source] : files) {
        if (source == "(empty)") {
            std::ofstream(folder / name, std::ios::binary);
        } else if (source.starts_with("text:")) {
            std::ofstream(verbatim(folder / name), std::ios::binary) << source.substr(5);
        } else if (!source.empty()) {
            fs::copy_file(binaries() / source, folder / name);
        }
    }
    arrangeSettings(folder, c);
}

struct CheckRun {
    std::string output;
    DWORD exitCode = 0;
    bool ended = false;
};

// Runs the check in `folder` with its output and its input on pipes, started
// from another current directory (which holds a settings file of its own), as
// a script would. Its input stays open, so a check that waits for Enter
// never ends.
CheckRun runCheck(const fs::path& folder) {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE outRead = nullptr;
    HANDLE outWrite = nullptr;
    HANDLE inRead = nullptr;
    HANDLE inWrite = nullptr;
    // Room for the whole report, so the check never waits on a full pipe.
    constexpr DWORD pipeSize = 1U << 20U;
    if (CreatePipe(&outRead, &outWrite, &inheritable, pipeSize) == 0 ||
        CreatePipe(&inRead, &inWrite, &inheritable, 0) == 0) {
        throw std::runtime_error("cannot make pipes");
    }
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inRead;
    startup.hStdOutput = outWrite;
    startup.hStdError = outWrite;
    std::wstring command = L"\"" + (folder / "SloshmereCheck.exe").wstring() + L"\"";
    const std::wstring elsewhere = binaries().wstring();
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        elsewhere.c_str(), &startup, &process);
    CloseHandle(outWrite);
    CloseHandle(inRead);
    CheckRun run;
    if (started == 0) {
        CloseHandle(outRead);
        CloseHandle(inWrite);
        throw std::runtime_error("cannot start the check");
    }
    constexpr DWORD patience = 30'000;
    run.ended = WaitForSingleObject(process.hProcess, patience) == WAIT_OBJECT_0;
    if (!run.ended) {
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(inWrite);
    std::array<char, 4096> buffer{};
    DWORD got = 0;
    while (ReadFile(outRead, buffer.data(), buffer.size(), &got, nullptr) != 0 && got > 0) {
        run.output.append(buffer.data(), got);
    }
    CloseHandle(outRead);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    run.output = std::regex_replace(run.output, std::regex("\r\n"), "\n");
    return run;
}

// The text with every run of blanks and line breaks made one blank.
std::string flattened(const std::string& text) {
    return std::regex_replace(text, std::regex("\\s+"), " ");
}

// Characters on the screen: every UTF-8 byte but a continuation byte.
std::size_t columns(const std::string& line) {
    return static_cast<std::size_t>(std::count_if(line.begin(), line.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0U) != 0x80U;
    }));
}

// The report's last paragraph, its verdict, on one line.
std::string verdict(const std::string& text) {
    const std::size_t end = text.find_last_not_of('\n');
    const std::size_t start = text.rfind("\n\n", end);
    return flattened(text.substr(start == std::string::npos ? 0 : start + 2,
                                 end == std::string::npos ? 0 : end + 1 - start - 2));
}

// What the report gives for one of its "  label:" or "  control:" lines.
std::string reported(const std::string& output, const char* pattern) {
    std::smatch match;
    return std::regex_search(output, match, std::regex(pattern)) ? match[1].str() : "(missing)";
}

// The prompt the module offers in the simulated game, with the case's
// settings in its game folder: the player grapples someone beside a trough.
sim::Prompt promptTheModuleOffers(const FolderCase& c) {
    sim::Host host;
    sim::stage::setTroughSide(host.world);
    sim::stage::grapple(host.world);
    sim::Game game(binaries() / "setup-check" / "module", binaries());
    arrangeSettings(game.folder(), c);
    game.loadModule();
    host.runFrames(5);
    game.unloadModule();
    if (host.world.prompts.empty()) {
        throw std::runtime_error("the module offered no prompt");
    }
    return host.world.prompts.front();
}

TEST(SetupCheck, ReportsEachFolderAndAnnouncesThePromptTheModuleOffers) {
    const fs::path folder = binaries() / "setup-check" / "game";
    for (const FolderCase& c : withLabelsNotUtf8(folderCases)) {
        SCOPED_TRACE(c.name);
        arrangeFolder(folder, c);
        const CheckRun run = runCheck(folder);
        ASSERT_TRUE(run.ended) << "the check waited for input that is not a console:\n"
                               << run.output;
        EXPECT_EQ(run.exitCode, c.exitCode) << run.output;
        EXPECT_EQ(verdict(run.output), flattened(c.lastLine)) << run.output;
        const std::string flat = flattened(run.output);
        for (const std::string& phrase : c.says) {
            EXPECT_NE(flat.find(flattened(phrase)), std::string::npos)
                << "missing: " << phrase << "\nin:\n"
                << run.output;
        }
        for (const std::string& phrase : c.doesNotSay) {
            EXPECT_EQ(flat.find(flattened(phrase)), std::string::npos)
                << "must not say: " << phrase << "\nin:\n"
                << run.output;
        }
        // Wrapped to fit a console 80 columns wide; the folder is one word.
        std::istringstream report(run.output);
        for (std::string line; std::getline(report, line);) {
            EXPECT_TRUE(columns(line) <= 79U || line.starts_with("Folder: ")) << line;
        }
        std::ifstream saved(folder / "SloshmereCheck.txt", std::ios::binary);
        const std::string copy = std::regex_replace(
            std::string{std::istreambuf_iterator<char>(saved), {}}, std::regex("\r\n"), "\n");
        EXPECT_TRUE(!copy.empty() && run.output.starts_with(copy)) << "saved:\n" << copy;

        const sim::Prompt prompt = promptTheModuleOffers(c);
        EXPECT_EQ(reported(run.output, "\n  label: +[\"'](.*)[\"']  \\("), prompt.label)
            << run.output;
        const std::string control = reported(run.output, "\n  control: (\\S+)  \\(");
        const auto known = sloshmere::controlNameTable.find(control);
        const std::uint32_t announced = control == "none" ? sloshmere::unresolvedControl
                                        : known != sloshmere::controlNameTable.end() ? known->second
                                                                                     : 0;
        EXPECT_EQ(announced, prompt.control) << "the check announced " << control;
    }
}

} // namespace
