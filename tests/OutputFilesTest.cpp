// The output policy in-process: what is written through, the modes of new
// files, where temporary files are made, and all or none when putting the
// files in place fails halfway.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "driver/OutputFiles.h"

namespace jobshop {
namespace {

namespace fs = std::filesystem;
using testing::FolderContent;
using testing::ReadText;
using testing::TempFolder;
using testing::WriteText;

// The system's moves, but the `failRename`-th rename (from 1), every unlink
// and every link of an existing file fail when asked to; renames are noted.
struct FailingMoves : FileMoves {
    int failRename = 0;
    bool failUnlink = false;
    bool failLink = false;
    int renames = 0;
    std::vector<std::pair<std::string, std::string>> renamed;

    int Rename(const std::string& from, const std::string& to) override {
        renamed.emplace_back(from, to);
        return ++renames == failRename ? EIO : FileMoves::Rename(from, to);
    }
    int Unlink(const std::string& path) override {
        return failUnlink ? EIO : FileMoves::Unlink(path);
    }
    int Link(const std::string& existing, const std::string& second) override {
        return failLink && fs::exists(existing) ? EPERM : FileMoves::Link(existing, second);
    }
};

std::optional<OutputError> Write(const std::vector<std::string>& paths, FileMoves& moves,
                                 std::ostream& out) {
    return WriteOutputs(
        paths,
        [&paths](std::size_t i) {
            return std::vector<std::string_view>{"new ", paths[i]};
        },
        out, "jobshop-test", moves);
}

std::optional<OutputError> Write(const std::vector<std::string>& paths, FileMoves& moves) {
    std::ostringstream out;
    return Write(paths, moves, out);
}

// /dev/stdout leads to a descriptor of this process, not to a file by a
// name: it is written through, as is /dev/fd/N.
TEST(OutputFiles, StandardOutputByNameIsWrittenThrough) {
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const int saved = ::dup(1);
    ::dup2(pipe[1], 1);
    FileMoves system;
    const std::string byNumber = "/dev/fd/" + std::to_string(pipe[1]);
    const std::optional<OutputError> failed = Write({"/dev/stdout", byNumber}, system);
    ::dup2(saved, 1);
    ::close(saved);
    ::close(pipe[1]);
    char got[256] = {};
    const ssize_t length = ::read(pipe[0], got, sizeof got);
    ::close(pipe[0]);
    EXPECT_FALSE(failed) << (failed ? failed->error : 0);
    EXPECT_EQ(std::string(got, length > 0 ? length : 0), "new /dev/stdoutnew " + byNumber);
}

// A new file takes its mode from the umask, a replaced one keeps its own;
// the file is staged beside its output, not in the working folder.
TEST(OutputFiles, ModesAndTheFolderOfTheTemporaryFile) {
    TempFolder folder;
    fs::create_directory(folder / "sub");
    WriteText(folder / "sub/kept", "old");
    fs::permissions(folder / "sub/kept", fs::perms(0604));
    const mode_t umask = ::umask(027);
    FailingMoves moves;
    const std::string fresh = (folder / "sub/fresh").string();
    const std::string kept = (folder / "sub/kept").string();
    const std::optional<OutputError> failed = Write({fresh, kept}, moves);
    ::umask(umask);
    ASSERT_FALSE(failed);
    for (const auto& [path, mode] : {std::pair{fresh, 0640}, std::pair{kept, 0604}}) {
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, static_cast<mode_t>(mode)) << path;
        EXPECT_EQ(ReadText(path), "new " + path);
    }
    for (const auto& [from, to] : moves.renamed) {
        EXPECT_EQ(fs::path(from).parent_path(), fs::path(to).parent_path()) << from;
    }
    EXPECT_EQ(FolderContent(folder / "sub"), (std::vector<std::string>{"fresh", "kept"}));
}

// Three outputs, a new file and two over old files: whatever fails while
// they are put in place, each old file is there again as it was, and
// nothing of the attempt is left but what could not be removed.
TEST(OutputFiles, AllOrNoneWhenPuttingThemInPlaceFails) {
    const struct {
        const char* what;
        int failRename;
        bool failUnlink, failLink;
        std::vector<std::string> left;
    } cases[] = {
        {"second rename", 2, false, false, {"b", "c"}},
        {"third rename", 3, false, false, {"b", "c"}},
        // The new file cannot be removed, the others are put back all the same.
        {"third rename, then the unlink of the first", 3, true, false, {"a", "b", "c"}},
        {"the old files cannot be kept", 0, false, true, {"b", "c"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const std::vector<std::string> paths = {(folder / "a").string(), (folder / "b").string(),
                                                (folder / "c").string()};
        WriteText(paths[1], "old b");
        WriteText(paths[2], "old c");
        FailingMoves moves;
        moves.failRename = c.failRename;
        moves.failUnlink = c.failUnlink;
        moves.failLink = c.failLink;
        const std::optional<OutputError> failed = Write(paths, moves);
        ASSERT_TRUE(failed);
        EXPECT_EQ(failed->path, c.failLink ? paths[1] : paths[c.failRename - 1]);
        EXPECT_EQ(ReadText(paths[1]), "old b");
        EXPECT_EQ(ReadText(paths[2]), "old c");
        EXPECT_EQ(FolderContent(folder.path()), c.left);
    }
}

}  // namespace
}  // namespace jobshop
