// libFuzzer target: the fuzz input is the content of input.txt, and the whole
// run (loading, insertion loop, trace, closing section) happens in-process,
// with input.txt in a scratch folder and the trace counted instead of
// written, so instances of any size whose operations are few (no jobs on
// 2^31 - 1 machines, say) run in moments. Besides the sanitizers, it checks
// that the outcome is honest: success means a complete trace and the final
// text, failure means a message and no final text, and reading the file
// gives the same message as reading the text. libFuzzer's -timeout caps the
// time of each run.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>

#include "Sinks.h"
#include "TestFiles.h"
#include "driver/LoadMessages.h"
#include "driver/Run.h"
#include "formats/Loader.h"

namespace {

// The trace grows with the square of the operation count.
constexpr std::int32_t kMaxOperations = 150;

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
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
