#include "output_watch.h"

#include <cstdio>
#include <stdexcept>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#define SIM_DUP _dup
#define SIM_DUP2 _dup2
#define SIM_CLOSE _close
#define SIM_FILENO _fileno
#else
#include <unistd.h>
#define SIM_DUP dup
#define SIM_DUP2 dup2
#define SIM_CLOSE close
#define SIM_FILENO fileno
#endif

namespace sim {

OutputWatch::OutputWatch(std::filesystem::path file) : file_(std::move(file)) {
    std::fflush(stdout);
    std::fflush(stderr);
    std::FILE* sink = std::fopen(file_.string().c_str(), "wb");
    if (sink == nullptr) {
        throw std::runtime_error("cannot make " + file_.string());
    }
    savedOut_ = SIM_DUP(SIM_FILENO(stdout));
    savedErr_ = SIM_DUP(SIM_FILENO(stderr));
    const bool redirected = savedOut_ >= 0 && savedErr_ >= 0 &&
                            SIM_DUP2(SIM_FILENO(sink), SIM_FILENO(stdout)) >= 0 &&
                            SIM_DUP2(SIM_FILENO(sink), SIM_FILENO(stderr)) >= 0;
    std::fclose(sink);
    if (!redirected) {
        stop();
        throw std::runtime_error("cannot redirect the standard streams");
    }
}

OutputWatch::~OutputWatch() {
    stop();
}

std::uintmax_t OutputWatch::stop() {
    if (savedOut_ < 0 && savedErr_ < 0) {
        return 0;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    if (savedOut_ >= 0) {
        SIM_DUP2(savedOut_, SIM_FILENO(stdout));
        SIM_CLOSE(savedOut_);
        savedOut_ = -1;
    }
    if (savedErr_ >= 0) {
        SIM_DUP2(savedErr_, SIM_FILENO(stderr));
        SIM_CLOSE(savedErr_);
        savedErr_ = -1;
    }
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file_, error);
    if (!error && size == 0) {
        // Nothing caught, nothing to keep: the game folder holds only what a
        // player's would.
        std::filesystem::remove(file_, error);
    }
    return error ? 0 : size;
}

} // namespace sim
