#include "sample_settings.h"

#include <fstream>
#include <iterator>
#include <regex>
#include <stdexcept>
#include <string>

namespace sim {

void copySampleSettingsWithLog(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::ifstream in(from, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read the sample settings " + from.string());
    }
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::regex off(R"((^|\n)Log *= *0(\r?\n|$))");
    if (!std::regex_search(text, off)) {
        // A sample without the line: the key goes at the end, in its section.
        text += "\nLog = 1\n";
    } else {
        text =
            std::regex_replace(text, off, "$1Log = 1$2", std::regex_constants::format_first_only);
    }
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) {
        throw std::runtime_error("cannot write the settings " + to.string());
    }
}

} // namespace sim
