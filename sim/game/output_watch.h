// Catches whatever is written to the standard output and error streams while
// it lives, by pointing both descriptors at a file of its own: the module
// must print nothing, and this is how a run can tell. On Windows the C
// runtime also points the process's standard handles at the file, so a
// direct WriteFile to them is caught as well.
#pragma once

#include <cstdint>
#include <filesystem>

namespace sim {

class OutputWatch {
public:
    // Starts catching into `file` (made afresh). Throws std::runtime_error
    // when the streams cannot be redirected.
    explicit OutputWatch(std::filesystem::path file);
    // Puts the streams back, if stop() has not.
    ~OutputWatch();
    OutputWatch(const OutputWatch&) = delete;
    OutputWatch& operator=(const OutputWatch&) = delete;

    // Puts the streams back and returns how many bytes were caught. The file
    // is kept only when it holds something.
    std::uintmax_t stop();

private:
    std::filesystem::path file_;
    int savedOut_ = -1;
    int savedErr_ = -1;
};

} // namespace sim
