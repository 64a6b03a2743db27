#pragma once

#include <cstdint>
#include <vector>

#include "heuristic/SearchObserver.h"

namespace jobshop {

// The search's course in little room: the makespan and the best so far at
// every stride-th iteration (at most kMaxPoints of them, the stride
// doubling whenever they would be more), every new best, and every new
// phase.
class SearchHistory final : public SearchObserver {
  public:
    static constexpr std::size_t kMaxPoints = 4096;

    struct Point {
        std::int64_t iteration;
        Time cmax;
        Time best;
    };

    void SearchStarted(const Model& model, const SearchStart& start) override;
    void MoveApplied(const Model& model, const AppliedMove& move) override;
    void Restarted(const Model& model, const SearchRestart& restart) override;

    std::int64_t stride() const { return stride_; }
    // Iteration 0 is the start.
    const std::vector<Point>& points() const { return points_; }
    const std::vector<Point>& improvements() const { return improvements_; }
    // The schedules new phases started from (cmax), after the iteration.
    const std::vector<Point>& restarts() const { return restarts_; }

  private:
    std::int64_t stride_ = 1;
    std::vector<Point> points_, improvements_, restarts_;
};

}  // namespace jobshop
