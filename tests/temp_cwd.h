// A fresh temporary directory as the current directory for one test, where
// the module looks for its settings file; the old directory comes back after.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <unistd.h>

namespace test {

class TempCwd {
public:
    TempCwd() : previous_(std::filesystem::current_path()) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "sloshmere-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::filesystem::filesystem_error(
                "mkdtemp", std::error_code(errno, std::generic_category()));
        }
        dir_ = pattern;
        std::filesystem::current_path(dir_);
    }
    ~TempCwd() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(dir_, ignored);
    }
    TempCwd(const TempCwd&) = delete;
    TempCwd& operator=(const TempCwd&) = delete;

    // Writes `content` byte for byte to `name` inside the directory.
    void write(const std::string& name, std::string_view content) const {
        std::ofstream out(dir_ / name, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
    }
    void remove(const std::string& name) const { std::filesystem::remove_all(dir_ / name); }
    [[nodiscard]] const std::filesystem::path& path() const { return dir_; }

private:
    std::filesystem::path previous_;
    std::filesystem::path dir_;
};

} // namespace test
