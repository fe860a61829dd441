#include "log/line_budget.h"

namespace sloshmere {

bool budgetTake(LineBudget& budget, std::uint64_t pass, std::uint64_t fileBytes,
                std::uint64_t bytes) {
    if (budget.full || fileBytes + bytes > logFileLimit - logFileReserve) {
        budget.full = true;
        ++budget.leftOut;
        return false;
    }
    // The oldest of the last 20 lines must lie 60 passes back or more, so no
    // window of 60 passes ever holds 21.
    if (budget.written == budgetLines && pass - budget.recent[budget.next] < budgetPasses) {
        ++budget.leftOut;
        return false;
    }
    budget.recent[budget.next] = pass;
    budget.next = (budget.next + 1) % budgetLines;
    if (budget.written < budgetLines) {
        ++budget.written;
    }
    return true;
}

} // namespace sloshmere
