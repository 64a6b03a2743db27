#include "TestSupport.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <sstream>

#include "driver/InsertionOrder.h"
#include "driver/Loader.h"
#include "driver/Run.h"

namespace jobshop::testing {

std::filesystem::path SourcePath(std::string_view relative) {
    return std::filesystem::path(JOBSHOP_SOURCE_DIR) / relative;
}

Model LoadText(std::string_view text) {
    Model model;
    const Status status = LoadInstance(text, model);
    EXPECT_TRUE(status.ok()) << status.message();
    SortInsertionOrder(model);
    return model;
}

RunResult RunInFolder(const std::filesystem::path& folder) {
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunProgram(in, out, err, folder);
    return {status, out.str(), err.str()};
}

RunResult RunCommand(const std::function<int(std::ostream& out, std::ostream& err)>& command) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = command(out, err);
    return {status, out.str(), err.str()};
}

RunResult RunProgramProcess(const std::filesystem::path& folder) {
    const std::string command = "cd '" + folder.string() +
                                "' && setsid -w '" JOBSHOP_PROGRAM
                                "' </dev/null >stdout.txt 2>stderr.txt";
    const int raw = std::system(command.c_str());
    RunResult result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(folder / "stdout.txt"),
                     ReadText(folder / "stderr.txt")};
    std::filesystem::remove(folder / "stdout.txt");
    std::filesystem::remove(folder / "stderr.txt");
    return result;
}

}  // namespace jobshop::testing
