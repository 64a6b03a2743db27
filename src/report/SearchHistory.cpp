#include "report/SearchHistory.h"

namespace jobshop {

void SearchHistory::SearchStarted(const Model&, const SearchStart& start) {
    points_.push_back({0, start.cmax, start.cmax});
    improvements_.push_back({0, start.cmax, start.cmax});
}

void SearchHistory::MoveApplied(const Model&, const AppliedMove& move) {
    if (move.improved) improvements_.push_back({move.iteration, move.move.cmax, move.best});
    if (move.iteration % stride_ != 0) return;
    if (points_.size() == kMaxPoints) {
        std::erase_if(points_,
                      [this](const Point& point) { return point.iteration % (2 * stride_) != 0; });
        stride_ *= 2;
        if (move.iteration % stride_ != 0) return;
    }
    points_.push_back({move.iteration, move.move.cmax, move.best});
}

void SearchHistory::Restarted(const Model&, const SearchRestart& restart) {
    restarts_.push_back({restart.iteration, restart.cmax, restart.best});
}

}  // namespace jobshop
