// libFuzzer target: every program's input. The first byte chooses which:
//
//   0x01  the rest is a file for jobshop-convert, read, detected and
//         converted in-process (the byte after the marker, when it is one
//         of 0x00 ... 0x04, names --from: detected, standard, taillard, fjsp,
//         program; the rest after it is the file);
//   0x02  the rest is a bounds.tsv for jobshop-quality, run in-process on a
//         folder with one small instance;
//   0x03  the rest is an instance for jobshop-improve, run in-process with a
//         trace, a schedule, data and --exact, all within small limits;
//   else  the whole input is the content of input.txt for jobshop-insert.
//
// The seeds of jobshop-insert (fuzz/corpus/) start with a printable byte or
// NUL, so they keep their meaning; fuzz/corpus-convert/ and
// fuzz/corpus-quality/ and fuzz/corpus-improve/ hold those of the others.
//
// jobshop-insert's whole run (loading, insertion loop, trace, closing
// section) happens in-process, with input.txt in a scratch folder and the
// trace counted instead of written, so instances of any size whose
// operations are few (no jobs on 2^31 - 1 machines, say) run in moments.
// Besides the sanitizers, each run checks that its outcome is honest:
// success means a complete trace and the final text (for convert: a file
// jobshop-insert reads back; for quality: its table), failure means a
// message and no final text, and reading the file gives the same message as
// reading the text. libFuzzer's -timeout caps the time of each run.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "Sinks.h"
#include "TestFiles.h"
#include "driver/ConvertCommand.h"
#include "driver/ImproveCommand.h"
#include "driver/LoadMessages.h"
#include "driver/QualityCommand.h"
#include "driver/Run.h"
#include "formats/Loader.h"

namespace {

// The trace grows with the square of the operation count.
constexpr std::int32_t kMaxOperations = 150;

constexpr std::uint8_t kConvertInput = 0x01;
constexpr std::uint8_t kBoundsInput = 0x02;
constexpr std::uint8_t kImproveInput = 0x03;

const std::filesystem::path& ScratchFolder() {
    static const jobshop::testing::TempFolder folder(
        std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path());
    return folder.path();
}

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// A trace without operations: the frame, the name, and for each machine a
// row of JobCount zeros (one of the two counts is 0).
std::uint64_t EmptyTraceSize(const jobshop::Model& model) {
    constexpr std::uint64_t kFrame = 28 + 2 + 25 + 22 + 2 + 60;
    return kFrame + model.InstanceName.size() +
           std::uint64_t(model.MachineCount) * (2 * std::uint64_t(model.JobCount) + 1);
}

int FuzzInsert(std::string_view content) {
    jobshop::Model probe;
    const std::optional<jobshop::LoadError> refused = jobshop::LoadInstance(content, probe);
    if (!refused && probe.OpCount > kMaxOperations) return -1;  // not added to the corpus

    const std::filesystem::path input = ScratchFolder() / jobshop::kInstanceFileName;
    jobshop::testing::WriteText(input, content);
    jobshop::testing::CountingDestination traces;
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    const int status = jobshop::RunProgram(in, out, err, ScratchFolder(), traces);

    const bool announced = EndsWith(out.str(), jobshop::kFinalText);
    if (refused) {
        Require(status == 1 &&
                err.str() == jobshop::ProgramLoadMessage(*refused, jobshop::kInstanceFileName));
    }
    if (status == 0) {
        Require(announced && err.str().empty());
        Require(traces.name == probe.TraceFileName);
        const std::string heading = probe.InstanceName + ", permutacja koncowa PI:\n";
        Require(traces.closingHead.compare(0, heading.size(), heading) == 0);
        Require(EndsWith(traces.tail, "\n\n" + std::string(58, '*') + "\n\n"));
        if (probe.OpCount == 0) Require(traces.bytes == EmptyTraceSize(probe));
    } else {
        Require(status == 1 && !announced && !err.str().empty());
    }
    return 0;
}

// What convert writes, jobshop-insert reads: a converted file is never one
// the program refuses.
int FuzzConvert(std::string_view content) {
    static constexpr const char* kFrom[] = {"", "standard", "taillard", "fjsp", "program"};
    std::vector<std::string> args = {(ScratchFolder() / "in.txt").string()};
    if (!content.empty() && static_cast<std::uint8_t>(content[0]) < std::size(kFrom)) {
        const char* from = kFrom[static_cast<std::uint8_t>(content[0])];
        if (*from != '\0') args.insert(args.end(), {"--from", from});
        content.remove_prefix(1);
    }
    jobshop::testing::WriteText(args[0], content);
    std::ostringstream out;
    std::ostringstream err;
    const int status = jobshop::RunConvert(args, out, err);
    Require(status == 0 || status == 1);
    if (status == 1) {
        Require(out.str().empty() && !err.str().empty());
        return 0;
    }
    jobshop::Model model;
    Require(!jobshop::LoadInstance(out.str(), model) && model.OpCount > 0);
    return 0;
}

int FuzzBounds(std::string_view content) {
    const std::filesystem::path folder = ScratchFolder() / "quality";
    std::filesystem::create_directories(folder);
    jobshop::testing::WriteText(folder / "a1.txt", "a1 2 2 1 5 2 3 2 4 1 1");
    jobshop::testing::WriteText(folder / "bounds.tsv", content);
    std::ostringstream out;
    std::ostringstream err;
    const int status =
        jobshop::RunQuality(std::vector<std::string>{folder.string()}, folder, out, err);
    Require(status == 0 || status == 1);
    Require(status == 0 ? out.str().starts_with("| instance |") && err.str().empty()
                        : out.str().empty() && !err.str().empty());
    return 0;
}

// What jobshop-improve reports it wrote, it wrote; the schedule it writes
// has the makespan its data gives; a refusal writes nothing.
int FuzzImprove(std::string_view content) {
    jobshop::Model probe;
    if (!jobshop::LoadInstance(content, probe) && probe.OpCount > kMaxOperations) return -1;
    const std::filesystem::path folder = ScratchFolder() / "improve";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    jobshop::testing::WriteText(folder / "in.txt", content);
    const std::vector<std::string> args = {(folder / "in.txt").string(),
                                           "--iterations",
                                           "60",
                                           "--exact",
                                           "--nodes",
                                           "300",
                                           "-o",
                                           (folder / "t.txt").string(),
                                           "--schedule",
                                           (folder / "s.txt").string(),
                                           "--json",
                                           (folder / "d.json").string()};
    std::ostringstream out;
    std::ostringstream err;
    const int status = jobshop::RunImprove(args, out, err);
    Require(status == 0 || status == 1);
    const bool written = std::filesystem::exists(folder / "s.txt");
    if (status == 1) {
        Require(!err.str().empty() && out.str().empty() && !written);
        return 0;
    }
    Require(err.str().empty() && written && std::filesystem::exists(folder / "t.txt"));
    const std::string schedule = jobshop::testing::ReadText(folder / "s.txt");
    const std::string cmax = schedule.substr(5, schedule.find('\n') - 5);
    Require(schedule.starts_with("Cmax ") &&
            jobshop::testing::ReadText(folder / "d.json").find(",\"cmax\":" + cmax + ",") !=
                std::string::npos);
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    if (size > 0 && data[0] == kConvertInput) return FuzzConvert(content.substr(1));
    if (size > 0 && data[0] == kBoundsInput) return FuzzBounds(content.substr(1));
    if (size > 0 && data[0] == kImproveInput) return FuzzImprove(content.substr(1));
    return FuzzInsert(content);
}
