#include "heuristic/BranchAndBound.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "heuristic/Deadline.h"
#include "heuristic/Dispatching.h"
#include "heuristic/Schedule.h"

namespace jobshop {
namespace {

using Clock = std::chrono::steady_clock;

// One operation of a one-machine problem: released at r, p long, its job
// going on for q after it.
struct Task {
    Time r;
    Time p;
    Time q;
};

class BranchAndBound {
  public:
    BranchAndBound(Model& model, const ExactLimits& limits);
    ExactResult Run();

  private:
    // A node of the search: the children of a partial schedule, as (bound,
    // job) by increasing bound, the next one to try, and what to undo when
    // leaving it.
    struct Frame {
        std::vector<std::pair<Time, std::int32_t>> children;
        std::size_t next = 0;
        std::int32_t job = -1;  // the job whose operation led here, -1 at the root
        Time jobEnd = 0;
        Time machineEnd = 0;
    };

    Time Start(std::int32_t job) const {
        return std::max(jobEnd_[job], machineEnd_[model_.M[next_[job]]]);
    }
    void Place(std::int32_t job, Frame& frame);
    void Unplace(const Frame& frame);
    Time Bound();
    Time Jackson(std::vector<Task>& tasks);
    void Branch(Frame& frame);
    void KeepLeaf();
    bool OutOfTime();

    Model& model_;
    const ExactLimits& limits_;
    std::int32_t jobs_ = 0;
    std::vector<Operation> next_;  // per job: its next operation, 0 when done
    std::vector<Time> jobEnd_;
    std::vector<Time> machineEnd_;
    std::vector<Time> jobTail_;         // per operation: the times of its job after it
    std::vector<Operation> placed_;     // operations in the order placed
    std::vector<Operation> bestOrder_;  // the same for the best schedule found
    Time upper_ = 0;
    std::vector<std::vector<Task>> tasks_;  // per machine, work arrays of Bound
    std::vector<std::pair<Time, Time>> heap_;
    std::vector<std::int32_t> conflict_;
    std::int64_t nodes_ = 0;
    Clock::time_point deadline_;
};

BranchAndBound::BranchAndBound(Model& model, const ExactLimits& limits)
    : model_(model), limits_(limits) {
    jobs_ = model.OpCount > 0 ? model.JobCount : 0;
    next_.assign(jobs_, 0);
    jobEnd_.assign(jobs_, 0);
    machineEnd_.assign(static_cast<std::size_t>(model.MachineCount) + 1, 0);
    jobTail_.assign(static_cast<std::size_t>(model.OpCount) + 2, 0);
    for (Operation k = model.OpCount; k >= 1; --k) {
        const Operation after = model.NO[k];
        jobTail_[k] = after == 0 ? 0 : jobTail_[after] + model.p[after];
    }
    for (std::int32_t j = 0; j < jobs_; ++j) next_[j] = j * model.MachineCount + 1;
    tasks_.resize(static_cast<std::size_t>(model.MachineCount) + 1);
}

void BranchAndBound::Place(std::int32_t job, Frame& frame) {
    const Operation k = next_[job];
    const std::int32_t machine = model_.M[k];
    frame.job = job;
    frame.jobEnd = jobEnd_[job];
    frame.machineEnd = machineEnd_[machine];
    const Time end = Start(job) + model_.p[k];
    jobEnd_[job] = end;
    machineEnd_[machine] = end;
    next_[job] = model_.NO[k];
    placed_.push_back(k);
}

void BranchAndBound::Unplace(const Frame& frame) {
    const Operation k = placed_.back();
    placed_.pop_back();
    next_[frame.job] = k;
    jobEnd_[frame.job] = frame.jobEnd;
    machineEnd_[model_.M[k]] = frame.machineEnd;
}

// Jackson's preemptive schedule: at every moment the released task with
// the longest tail runs. Its largest end plus tail bounds the machine's
// part of any schedule from below.
Time BranchAndBound::Jackson(std::vector<Task>& tasks) {
    std::sort(tasks.begin(), tasks.end(), [](const Task& x, const Task& y) { return x.r < y.r; });
    heap_.clear();  // (tail, time left)
    Time now = 0;
    Time bound = 0;
    std::size_t released = 0;
    while (released < tasks.size() || !heap_.empty()) {
        if (heap_.empty()) now = std::max(now, tasks[released].r);
        while (released < tasks.size() && tasks[released].r <= now) {
            heap_.push_back({tasks[released].q, tasks[released].p});
            std::push_heap(heap_.begin(), heap_.end());
            ++released;
        }
        std::pop_heap(heap_.begin(), heap_.end());
        auto& [tail, left] = heap_.back();
        const Time release = released < tasks.size() ? tasks[released].r : INT64_MAX;
        if (now + left <= release) {
            now += left;
            bound = std::max(bound, now + tail);
            heap_.pop_back();
        } else {
            left -= release - now;
            now = release;
            std::push_heap(heap_.begin(), heap_.end());
        }
    }
    return bound;
}

// The largest of the machines' Jackson bounds, each operation not yet
// placed released when its job and its machine let it start at the
// earliest, and the ends already fixed.
Time BranchAndBound::Bound() {
    for (auto& tasks : tasks_) tasks.clear();
    Time bound = 0;
    for (std::int32_t j = 0; j < jobs_; ++j) {
        Time ready = jobEnd_[j];
        bound = std::max(bound, ready);
        for (Operation k = next_[j]; k != 0; k = model_.NO[k]) {
            const Time r = std::max(ready, machineEnd_[model_.M[k]]);
            tasks_[model_.M[k]].push_back({r, model_.p[k], jobTail_[k]});
            ready = r + model_.p[k];
        }
    }
    for (auto& tasks : tasks_) {
        if (!tasks.empty()) bound = std::max(bound, Jackson(tasks));
    }
    return bound;
}

// Giffler and Thompson: every operation that can go first on the machine
// where the earliest end lies is a child, bounded.
void BranchAndBound::Branch(Frame& frame) {
    ConflictSet(model_, next_, jobEnd_, machineEnd_, conflict_);
    for (const std::int32_t j : conflict_) {
        Frame child;
        Place(j, child);
        const Time bound = Bound();
        Unplace(child);
        if (bound < upper_) frame.children.push_back({bound, j});
    }
    std::sort(frame.children.begin(), frame.children.end());
}

void BranchAndBound::KeepLeaf() {
    Time makespan = 0;
    for (std::int32_t j = 0; j < jobs_; ++j) makespan = std::max(makespan, jobEnd_[j]);
    if (makespan < upper_) {
        upper_ = makespan;
        bestOrder_ = placed_;
    }
}

bool BranchAndBound::OutOfTime() {
    return limits_.seconds && nodes_ % 1024 == 0 && Clock::now() >= deadline_;
}

ExactResult BranchAndBound::Run() {
    ExactResult result;
    for (Operation k = 1; k <= model_.OpCount; ++k) {
        if (model_.p[k] < 0) {
            result.stop = ExactStop::kNegativeTimes;
            result.best = model_.Cmax;
            return result;
        }
    }
    deadline_ = DeadlineAfter(limits_.seconds.value_or(0));
    upper_ = model_.Cmax;
    std::vector<Frame> stack(1);
    Time rootBound = Bound();
    if (jobs_ > 0 && rootBound < upper_) Branch(stack[0]);
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.children.size() || frame.children[frame.next].first >= upper_) {
            if (frame.job >= 0) Unplace(frame);
            stack.pop_back();
            continue;
        }
        if (nodes_ >= limits_.nodes || OutOfTime()) {
            result.stop = nodes_ >= limits_.nodes ? ExactStop::kNodeLimit : ExactStop::kTimeLimit;
            break;
        }
        ++nodes_;
        const std::int32_t job = frame.children[frame.next++].second;
        Frame child;
        Place(job, child);
        if (placed_.size() == static_cast<std::size_t>(model_.OpCount)) {
            KeepLeaf();
            Unplace(child);
            continue;
        }
        Branch(child);
        stack.push_back(std::move(child));
    }
    // What is left open bounds the optimum from below.
    Time lower = upper_;
    for (const Frame& frame : stack) {
        if (frame.next < frame.children.size()) {
            lower = std::min(lower, frame.children[frame.next].first);
        }
    }
    if (result.stop == ExactStop::kProven) lower = upper_;
    result.lowerBound = std::max(lower, std::min(rootBound, upper_));
    result.nodes = nodes_;
    if (!bestOrder_.empty()) {
        ClearSchedule(model_);
        for (const Operation k : bestOrder_) {
            const std::int32_t machine = model_.M[k];
            model_.PI(machine)[++model_.PlacedCount[machine]] = k;
        }
        LinkMachineRows(model_);
    }
    model_.Cmax = upper_;
    result.best = upper_;
    return result;
}

}  // namespace

ExactResult ProveOptimum(Model& model, const ExactLimits& limits) {
    BranchAndBound search(model, limits);
    return search.Run();
}

}  // namespace jobshop
