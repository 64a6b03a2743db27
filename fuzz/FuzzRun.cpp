// libFuzzer target: the fuzz input is the content of input.txt, and the whole
// run (loading, insertion loop, trace, closing section) happens in-process in
// a scratch folder. Besides the sanitizers, it checks that the outcome is
// honest: success means a complete trace and the final text, failure means a
// message and no final text.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "TestFiles.h"
#include "driver/Loader.h"
#include "driver/Run.h"

namespace {

// Keeps one input from asking for a giant trace: the trace grows with the
// square of the operation count, and the closing section with the machine
// count even when there are no operations.
constexpr std::int32_t kMaxOperations = 150;
constexpr std::int32_t kMaxSide = 2000;

const std::filesystem::path& ScratchFolder() {
    static const jobshop::testing::TempFolder folder(
        std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path());
    return folder.path();
}

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    jobshop::Model probe;
    if (jobshop::LoadInstance(content, probe).ok() &&
        (probe.OpCount > kMaxOperations || probe.JobCount > kMaxSide ||
         probe.MachineCount > kMaxSide)) {
        return -1;  // not added to the corpus
    }

    const std::filesystem::path& folder = ScratchFolder();
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    {
        std::ofstream(folder / "input.txt", std::ios::binary)
            .write(content.data(), static_cast<long>(size));
    }

    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    const int status = jobshop::RunProgram(in, out, err, folder);

    const std::string said = out.str();
    const std::string_view finalText = jobshop::kFinalText;
    const bool announced =
        said.size() >= finalText.size() &&
        said.compare(said.size() - finalText.size(), finalText.size(), finalText) == 0;
    if (status == 0) {
        Require(announced && err.str().empty());
        const std::string trace = jobshop::testing::ReadText(folder / probe.TraceFileName);
        const std::string ending = "\n\n" + std::string(58, '*') + "\n\n";
        Require(trace.size() >= ending.size() &&
                trace.compare(trace.size() - ending.size(), ending.size(), ending) == 0);
        Require(trace.find(", permutacja koncowa PI:\n") != std::string::npos);
    } else {
        Require(status == 1 && !announced && !err.str().empty());
    }
    return 0;
}
