// The module's settings load against inih, the C parser Debian ships, on the
// same settings file of about 1 MB. inih's handler keeps every value, as the
// module's document does, so both end with the file's content in memory.
#include "bench.h"

#include "settings/settings.h"

#include "temp_cwd.h"

#include <benchmark/benchmark.h>
#include <ini.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <unordered_map>

namespace {

constexpr std::size_t fileSize = 1 << 20;

// Sections of twenty keys with full-line comments and blank lines between,
// and the module's own section last. Every line is shorter than the 200 bytes
// inih reads at a time, and no value carries an inline ";", which inih would
// cut and the module keeps, so both parsers read the same keys and values.
std::string settingsText() {
    std::string text;
    char line[160];
    for (int section = 0; text.size() < fileSize - 200; ++section) {
        std::snprintf(line, sizeof line, "; generated section %d\n[Section %04d]\n", section,
                      section);
        text += line;
        for (int key = 0; key < 20 && text.size() < fileSize - 200; ++key) {
            std::snprintf(line, sizeof line, "Key%02d = value %d of section %d, a few words long\n",
                          key, key, section);
            text += line;
        }
        text += '\n';
    }
    text += "[Sloshmere]\nDrownText = Drown\nDrownInput = INPUT_JUMP\n";
    return text;
}

using IniStore = std::unordered_map<std::string, std::unordered_map<std::string, std::string>>;

int keepValue(void* user, const char* section, const char* name, const char* value) {
    (*static_cast<IniStore*>(user))[section][name] = value;
    return 1;
}

std::size_t keyCount(const IniStore& store) {
    std::size_t count = 0;
    for (const auto& [name, keys] : store) {
        count += keys.size();
    }
    return count;
}

std::size_t keyCount(const sloshmere::SettingsDocument& document) {
    std::size_t count = 0;
    for (const auto& [name, section] : document.entries) {
        count += section.size();
    }
    return count;
}

// Every iteration loads the file with the module and then parses it with
// inih, so that both meet the machine in the same state.
void settingsLoadAgainstInih(benchmark::State& state) {
    test::TempCwd cwd;
    const std::string text = settingsText();
    cwd.write("Sloshmere.ini", text);
    sloshmere::promptControl = 0;
    IniStore store;
    double moduleSeconds = 0.0;
    double inihSeconds = 0.0;
    for (auto _ : state) {
        const double start = bench::threadSeconds();
        sloshmere::loadSettings();
        const double loaded = bench::threadSeconds();
        store.clear();
        const int parsed = ini_parse("Sloshmere.ini", keepValue, &store);
        const double done = bench::threadSeconds();
        benchmark::DoNotOptimize(parsed);
        moduleSeconds += loaded - start;
        inihSeconds += done - loaded;
    }
    // Both must have read the whole file, and read it alike.
    if (sloshmere::promptControl != 0xD9D0E1C0U ||
        keyCount(sloshmere::settingsDocument) != keyCount(store)) {
        state.SkipWithError("the module and inih read different content");
        return;
    }
    const auto loads = static_cast<double>(state.iterations());
    state.counters[bench::moduleMilliseconds] = moduleSeconds / loads * 1e3;
    state.counters[bench::inihMilliseconds] = inihSeconds / loads * 1e3;
    state.counters[bench::moduleOverInih] = inihSeconds / moduleSeconds;
    state.counters[bench::fileBytes] = static_cast<double>(text.size());
}

} // namespace

namespace bench {

void registerSettingsLoadBenchmarks() {
    benchmark::RegisterBenchmark(settingsLoadName, settingsLoadAgainstInih)
        ->Unit(benchmark::kMillisecond);
}

} // namespace bench
