#include "settings_snapshot.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

namespace sim {

namespace {

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& path,
                       const std::error_code& error) {
    throw std::runtime_error(what + " " + path.string() + ": " + error.message());
}

} // namespace

SettingsSnapshot::SettingsSnapshot() : path_(std::filesystem::current_path() / "Sloshmere.ini") {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path_, error);
    if (status.type() == fs::file_type::not_found) {
        return;
    }
    if (fs::is_directory(status)) {
        found_ = Found::Directory;
        return;
    }
    std::ifstream in(path_, std::ios::binary);
    bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (error || !in.is_open() || in.bad()) {
        throw std::runtime_error("cannot read the settings file " + path_.string() + " to keep it");
    }
    found_ = Found::File;
}

void SettingsSnapshot::restore() const {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::remove_all(path_, error);
    if (error) {
        fail("cannot clear the way for the settings file", path_, error);
    }
    if (found_ == Found::Directory) {
        if (!fs::create_directory(path_, error) && error) {
            fail("cannot put back the directory", path_, error);
        }
    } else if (found_ == Found::File) {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(bytes_.data(), static_cast<std::streamsize>(bytes_.size()));
        if (!out.flush()) {
            throw std::runtime_error("cannot put back the settings file " + path_.string());
        }
    }
}

} // namespace sim
