// How many lines the log may write: at most 20 in any 60 loop passes, and a
// file of at most 1 MiB. Counted in passes, not by the clock, so a run in the
// simulated game logs the same lines however fast it plays.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace sloshmere {

inline constexpr std::size_t budgetLines = 20;
inline constexpr std::uint64_t budgetPasses = 60;
inline constexpr std::uint64_t logFileLimit = 1U << 20U;
// Kept free below the limit for the one line that says the file is full.
inline constexpr std::uint64_t logFileReserve = 200;

struct LineBudget {
    // The passes of the last budgetLines lines written, oldest at `next`.
    std::array<std::uint64_t, budgetLines> recent{};
    std::size_t written = 0;
    std::size_t next = 0;
    // Lines refused since the last one written.
    std::uint64_t leftOut = 0;
    // Once the file has no room left, nothing more is written to it.
    bool full = false;
};

// Whether a line of `bytes` may go into a file that holds `fileBytes`, in
// pass `pass`; counts it as written when it may, as left out when not.
bool budgetTake(LineBudget& budget, std::uint64_t pass, std::uint64_t fileBytes,
                std::uint64_t bytes);

} // namespace sloshmere
