// Feeds arbitrary bytes to the settings load as the settings file and checks
// that the document it builds holds together and that the prompt's label and
// control follow from it.
#include "settings/settings.h"

#include "ordered_map_checks.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace sloshmere;
using test::indexAgrees;

// A failed check is a crash to libFuzzer, which keeps the input that caused it.
void check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

// Line ends, carriage returns and NULs never survive reading, and the reader
// trims whatever it stores.
bool clean(const std::string& text) {
    return trim(text) == text && text.find_first_of(std::string("\n\r\0", 3)) == std::string::npos;
}

void checkDocument(const SettingsDocument& document) {
    check(indexAgrees(document));
    for (const auto& [name, section] : document.entries) {
        // A note after ";" is cut off a header before its name is taken.
        check(clean(name) && name.find(';') == std::string::npos);
        check(indexAgrees(section));
        for (const auto& [key, value] : section.entries) {
            // A line that starts with ";" is a comment, never a key.
            check(clean(key) && !key.starts_with(';'));
            check(clean(value));
        }
    }
}

// The file is rewritten for every input; on a memory file system that costs
// far less than a journalled write, which would dominate the run.
std::filesystem::path scratchRoot() {
    if (std::getenv("TMPDIR") == nullptr && std::filesystem::is_directory("/dev/shm")) {
        return "/dev/shm";
    }
    return std::filesystem::temp_directory_path();
}

void removeScratch() {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(settingsFileName).parent_path(), ignored);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    // A directory of its own, so parallel fuzzing jobs never share the file.
    std::string directory = (scratchRoot() / "sloshmere-fuzz-XXXXXX").string();
    if (mkdtemp(directory.data()) == nullptr) {
        std::abort();
    }
    settingsFileName = (std::filesystem::path(directory) / "Sloshmere.ini").string();
    std::atexit(removeScratch);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream file(settingsFileName, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const std::string textBefore = promptText;
    const GameHash controlBefore = promptControl;

    loadSettings();

    checkDocument(settingsDocument);
    const SettingsSection section = settingsDocument.get("Sloshmere");
    check(promptText == (section.has("DrownText") ? section.get("DrownText") : textBefore));
    const auto control = controlNameTable.find(section.get("DrownInput"));
    check(promptControl == (control != controlNameTable.end() ? control->second : controlBefore));
    check(promptControl != unresolvedControl || controlBefore == unresolvedControl);
    return 0;
}
