// SloshmereCheck.exe: the players' setup check. Put beside the game's
// executable with the mod and double-clicked, it reads the folder it lies in,
// changing nothing there but its own report, SloshmereCheck.txt, and says
// whether the mod will offer its prompt there: the files found and their
// versions, what the mod will read from Sloshmere.ini, and, when something
// stops the prompt, what to fix first.
// Exit code 0 when the mod will offer a working prompt, 1 otherwise.
#include "file_version.h"
#include "game_folder.h"
#include "last_session.h"
#include "report.h"
#include "settings_diagnosis.h"

#include "process_exit.h"

#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

namespace {

using namespace sloshmere::check;

constexpr FileVersion checkVersion = {SLOSHMERE_VERSION_MAJOR, SLOSHMERE_VERSION_MINOR,
                                      SLOSHMERE_VERSION_PATCH, 0};

// The folder of the running executable, ending in a backslash; empty when
// Windows cannot name it.
std::wstring ownFolder() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) {
            return {};
        }
        if (length < name.size()) {
            name.resize(length);
            return name.substr(0, name.find_last_of(L"\\/") + 1);
        }
        name.resize(name.size() * 2);
    }
}

// Writes the report to reportFileName beside the check, for a bug report, in
// text mode so that Notepad sees CR LF line ends. The copy says it was saved;
// when it could not be, the report shown says why instead.
void saveReport(CheckReport& report) {
    std::FILE* file = std::fopen(reportFileName, "w");
    if (file == nullptr) {
        report.notSaved = std::strerror(errno);
        return;
    }
    writeReport(file, report);
    const bool failed = std::ferror(file) != 0;
    if (std::fclose(file) != 0 || failed) {
        report.notSaved = "the disk refused the write";
        std::remove(reportFileName);
    }
}

int runCheck() {
    const std::wstring folder = ownFolder();
    // The mod reads Sloshmere.ini from the game's current directory, which is
    // the game folder; the check reads it from the folder it lies in, however
    // it was started.
    if (folder.empty() || SetCurrentDirectoryW(folder.c_str()) == 0) {
        std::fputs("The check cannot open the folder it lies in.\n", stdout);
        return 1;
    }
    CheckReport report;
    report.folder = utf8(folder);
    report.checkVersion = checkVersion;
    report.game = inspectGameFolder(folder, checkVersion);
    report.settings = diagnoseSettings(report.game.settings);
    report.lastSession = readLastSession();
    saveReport(report);
    writeReport(stdout, report);
    return blocked(report) ? 1 : 0;
}

// True when the check has a console window to itself, as when it is
// double-clicked in Explorer: that window closes as soon as it ends. Not when
// its input is a file or a pipe (a script, a test), nor when it shares the
// console of the Command Prompt it was started from.
bool ownsItsWindow() {
    DWORD mode = 0;
    if (GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) == 0) {
        return false;
    }
    DWORD processes[2] = {};
    return GetConsoleProcessList(processes, 2) <= 1;
}

} // namespace

int main() {
    // Windows' console shows the label's bytes as UTF-8, as the game does.
    const UINT codePage = GetConsoleOutputCP();
    SetConsoleOutputCP(CP_UTF8);
    int status = 1;
    try {
        status = runCheck();
    } catch (const std::exception& error) {
        std::printf("\nThe check stopped early: %s\n", error.what());
    } catch (...) {
        std::fputs("\nThe check stopped early.\n", stdout);
    }
    std::fflush(stdout);
    if (ownsItsWindow()) {
        std::fputs("\nPress Enter to close this window.", stdout);
        std::fflush(stdout);
        for (int c = std::getchar(); c != '\n' && c != EOF; c = std::getchar()) {
        }
    }
    if (codePage != 0) {
        SetConsoleOutputCP(codePage);
    }
    sloshmere::platform::endProcess(status);
}
