#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace jobshop {

// An operation number, 1 ... OpCount; 0 stands for "no operation" in every
// link field and every PI cell.
using Operation = std::int32_t;

// Heads, tails, estimates and Cmax are sums of processing times. With fewer
// than 2^31 operations of at most 2^31 time units each, any such sum (and the
// sum R + p + Q of an estimate) stays below 2^63, so 64 bits never overflow.
using Time = std::int64_t;

// The largest OpCount the tables accept: every per-operation table has
// entries 0 ... OpCount+1 and every operation number must fit an Operation.
inline constexpr std::int64_t kMaxOpCount = INT32_MAX - 2;

// One job-shop instance and the schedule being built for it.
//
// Numbering is 1-based throughout. Operations are numbered job by job in file
// order, each job's operations in technological order, so operation k belongs
// to job (k-1)/MachineCount + 1. Every per-operation table has OpCount+2
// entries: entry 0 and entry OpCount+1 stay 0, so a link that reads "no
// operation" can be followed without a bounds test.
struct Model {
    std::string InstanceName;
    std::string TraceFileName;  // InstanceName + "_krok_po_kroku.txt"

    std::int32_t JobCount = 0;
    std::int32_t MachineCount = 0;
    std::int32_t OpCount = 0;  // JobCount * MachineCount

    // Per-operation tables, indexed by operation 0 ... OpCount+1.
    std::vector<std::int32_t> p;  // processing time
    std::vector<std::int32_t> M;  // machine, 1 ... MachineCount
    std::vector<Operation> NO;    // technological successor, 0 for a job's last
    std::vector<Operation> PO;    // technological predecessor, 0 for a job's first
    std::vector<Operation> NM;    // machine successor in the partial schedule
    std::vector<Operation> PM;    // machine predecessor in the partial schedule

    // Entries 1 ... OpCount: the operations in the order they are inserted.
    std::vector<Operation> InsertionOrder;

    // Indexed by machine 0 ... MachineCount (entry 0 unused): operations placed so far.
    std::vector<std::int32_t> PlacedCount;

    // Machine sequences. Row i starts at PIRowStart[i] and has one column per
    // operation of machine i plus two sentinels: column 0 and the column after
    // the last placed operation read 0. A row holds as many operations as the
    // machine has, which may exceed JobCount when a job revisits a machine.
    std::vector<Operation> PIStorage;
    std::vector<std::size_t> PIRowStart;

    Time Cmax = 0;

    // Operations placed on a machine so far; a machine without a row (an
    // instance without operations) holds none.
    std::int32_t Placed(std::int32_t machine) const {
        return static_cast<std::size_t>(machine) < PlacedCount.size() ? PlacedCount[machine] : 0;
    }

    Operation* PI(std::int32_t machine) { return PIStorage.data() + PIRowStart[machine]; }
    const Operation* PI(std::int32_t machine) const {
        return PIStorage.data() + PIRowStart[machine];
    }
};

// Sizes PlacedCount and PI from the machines of the loaded operations and
// clears NM and PM: the empty schedule the insertion loop starts from.
void ClearSchedule(Model& model);

}  // namespace jobshop
