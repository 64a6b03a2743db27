#include "TestSupport.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>

#include "driver/InsertionOrder.h"
#include "driver/Loader.h"
#include "driver/Run.h"

namespace jobshop::testing {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "jobshop-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

bool RecordingSink::Write(std::span<const std::string_view> parts) {
    std::string write;
    for (const std::string_view part : parts) write += part;
    writes.push_back(write);
    return true;
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const std::filesystem::path& path, std::string_view text) {
    std::ofstream(path, std::ios::binary) << text;
}

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
