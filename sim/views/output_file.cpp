#include "output_file.h"

#include <cerrno>
#include <stdexcept>
#include <string>
#include <system_error>

namespace sim {

std::ofstream openOutputFile(const std::filesystem::path& path, std::string_view what) {
    errno = 0;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file.is_open()) {
        // The C runtime's open sets errno on both builds; a stream that fails
        // without one still says which file it was.
        const int reason = errno;
        std::string message = "cannot write " + std::string(what) + " " + path.string();
        if (reason != 0) {
            message += ": " + std::generic_category().message(reason);
        }
        throw std::runtime_error(message);
    }
    return file;
}

} // namespace sim
