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

SettingsSnapshot::SettingsSnapshot(const std::filesystem::path& folder)
    : path_(std::filesystem::absolute(folder) / "Sloshmere.ini") {
    take(found_, bytes_);
}

void SettingsSnapshot::take(Found& found, std::string& bytes) const {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path_, error);
    found = Found::Nothing;
    bytes.clear();
    if (status.type() == fs::file_type::not_found) {
        return;
    }
    if (fs::is_directory(status)) {
        found = Found::Directory;
        return;
    }
    std::ifstream in(path_, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (error || !in.is_open() || in.bad()) {
        throw std::runtime_error("cannot read the settings file " + path_.string() + " to keep it");
    }
    found = Found::File;
}

bool SettingsSnapshot::standsStill() const {
    Found found = Found::Nothing;
    std::string bytes;
    take(found, bytes);
    return found == found_ && bytes == bytes_;
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
