#include "common/work_budget.h"

namespace quib {

bool WorkBudget::Charge(std::int64_t pixels) {
    if (!limit_) {
        return true;
    }
    if (pixels > *limit_ - spent_) {
        return false;
    }
    spent_ += pixels;
    return true;
}

}  // namespace quib
