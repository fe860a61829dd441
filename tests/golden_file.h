// Committed expected outputs (tests/golden/), compared line by line;
// SLOSHMERE_UPDATE_GOLDEN=1 rewrites them first.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <istream>
#include <string>
#include <vector>

namespace test {

inline std::vector<std::string> linesOf(std::istream&& in) {
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// Compares `lines` with the committed file `name` in the golden folder, line by
// line; SLOSHMERE_UPDATE_GOLDEN rewrites the file first.
inline void expectGolden(const std::string& name, const std::vector<std::string>& lines) {
    const std::string path = std::string(SLOSHMERE_GOLDEN_DIR) + "/" + name;
    if (std::getenv("SLOSHMERE_UPDATE_GOLDEN") != nullptr) {
        std::ofstream out(path);
        for (const std::string& line : lines) {
            out << line << '\n';
        }
    }
    const std::vector<std::string> golden = linesOf(std::ifstream(path));
    ASSERT_FALSE(golden.empty()) << path << " is missing; run with SLOSHMERE_UPDATE_GOLDEN=1";
    for (std::size_t i = 0; i < std::max(golden.size(), lines.size()); ++i) {
        const std::string want = i < golden.size() ? golden[i] : "(nothing)";
        const std::string got = i < lines.size() ? lines[i] : "(nothing)";
        ASSERT_EQ(got, want) << "first difference at line " << i + 1 << " of " << path;
    }
}

} // namespace test
