#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <iterator>
#include <map>
#include <string>
#include <thread>

#include "document/FileWriter.h"
#include "tests/core/TestSupport.h"

// The one writer of files, with the whole table of its refusals: callers check only that
// they pass the writer's text on.
namespace zamo {
namespace {

namespace fs = std::filesystem;
using Entries = std::map<std::string, std::string>;

fs::perms Permissions(const fs::path& path) { return fs::symlink_status(path).permissions() & fs::perms::mask; }

// Every entry of a folder with the bytes of each regular file (a temporary left shows).
Entries Snapshot(const fs::path& folder) {
  Entries entries;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    entries[entry.path().filename()] = entry.is_regular_file() ? FileBytes(entry.path()) : "";
  }
  return entries;
}

// What a child reports after trying a write: "written" or the error's text.
std::string TryWrite(const std::string& path, const std::string& bytes) {
  const Thrown thrown = ThrownBy([&] { WriteFileAtomically(path, bytes); });
  return thrown.Kind == "none" ? "written" : thrown.Text;
}

std::string Refusal(const std::string& path, const std::string& reason) {
  return "Datei " + path + " kann nicht erstellt werden: " + reason;
}

using FileWriterTest = TempFolderTest;

// The superuser replacing someone else's file must not take it from its owner either.
TEST_F(FileWriterTest, ReplacesTheTargetOfALinkKeepingItsModeAndOwnerAndNewFilesFollowTheUmask) {
  const TestUser user = UnprivilegedUser();
  fs::create_directories(dir_ / "sub");
  const fs::path file = dir_ / "sub" / "kept.zam";
  fs::create_symlink("sub/kept.zam", dir_ / "link.zam");  // relative to the link's folder
  for (const fs::perms mode : {fs::perms::owner_read | fs::perms::owner_write,
                               fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read}) {
    PutFile(file, std::string(5000, 'x'));
    fs::permissions(file, mode);
    GiveToTestUser(file);
    WriteFileAtomically(dir_ / "link.zam", "new\r\n");
    EXPECT_EQ(Permissions(file), mode);
    struct stat status {};
    ASSERT_EQ(lstat(file.c_str(), &status), 0);
    EXPECT_EQ(std::pair(status.st_uid, status.st_gid), std::pair(user.Uid, user.Gid));
    EXPECT_EQ(Snapshot(dir_ / "sub"), (Entries{{"kept.zam", "new\r\n"}}));
    EXPECT_EQ(fs::read_symlink(dir_ / "link.zam"), "sub/kept.zam");
  }
  const mode_t previous = umask(027);
  WriteFileAtomically(dir_ / "new.zam", "a");
  umask(previous);
  EXPECT_EQ(Permissions(dir_ / "new.zam"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// The temporary name ".NAME.XXXXXX" is 8 bytes longer than the name; for the longest names
// it is shortened (before a whole character), so that the write still succeeds.
TEST_F(FileWriterTest, TheLongestNamesAreWritten) {
  std::string umlauts;
  for (int i = 0; i < 127; ++i) umlauts += "\xC3\xA4";  // 254 bytes of "ä"
  for (const std::string& name : {std::string(255, 'n'), std::string(248, 'n'), umlauts + "x"}) {
    PutFile(dir_ / name, "old");
    WriteFileAtomically(dir_ / name, "new");
    EXPECT_EQ(Snapshot(dir_), (Entries{{name, "new"}})) << name.size();
    fs::remove(dir_ / name);
  }
}

extern "C" void IgnoreSignal(int) {}

// Refusals change nothing, leave no temporary and give the signals back as they were. Being
// refused as an ordinary user, and writing into a FIFO, are shown by the tool's own run.
TEST_F(FileWriterTest, RefusalsNameTheFileAndTheSystemsReason) {
  struct sigaction own {};
  own.sa_handler = IgnoreSignal;
  struct sigaction previous {};
  sigaction(SIGTERM, &own, &previous);
  PutFile(dir_ / "locked.zam", "kept\r\n");
  fs::permissions(dir_ / "locked.zam", fs::perms::owner_read | fs::perms::others_read);
  const std::pair<std::string, std::string> rows[] = {
      {dir_ / "missing/new.zam", "No such file or directory"},
      {dir_ / "locked.zam/new.zam", "Not a directory"},
      {dir_, "Is a directory"},
      {dir_ / std::string(256, 'n'), "File name too long"},
      {"", "No such file or directory"},
      {dir_ / "locked.zam", "Permission denied"},  // binds the superuser too
      {"/proc/version", "Permission denied"},
      {"/dev/fd/987", "Bad file descriptor"}};
  const Entries before = Snapshot(dir_);
  for (const auto& [path, reason] : rows) {
    EXPECT_THROW_MSG(WriteFileAtomically(path, "new\r\n"), FileError, Refusal(path, reason));
    EXPECT_EQ(Snapshot(dir_), before) << path;
  }
  sigaction(SIGTERM, &previous, &own);
  EXPECT_EQ(own.sa_handler, &IgnoreSignal);
}

// A path naming an open descriptor (here a file opened to append, as the shell's ">>" opens
// it) is written through it: the bytes go to its end, the file and the descriptor stay.
TEST_F(FileWriterTest, PathsOfAnOpenDescriptorAppendThroughIt) {
  for (const std::string prefix : {"/dev/stdout", "/dev/fd/", "/proc/self/fd/"}) {
    PutFile(dir_ / "log.txt", "old\n");
    const int fd = open((dir_ / "log.txt").c_str(), O_WRONLY | O_APPEND);
    const std::string path = prefix.back() == '/' ? prefix + std::to_string(fd) : prefix;
    const ChildResult child = RunInChild(dir_, false, [&] {
      dup2(fd, STDOUT_FILENO);
      return TryWrite(path, "new\n") + (fcntl(fd, F_GETFD) == 0 ? "" : ", closed");
    });
    close(fd);
    EXPECT_EQ(child.Report, "written") << path;
    EXPECT_EQ(Snapshot(dir_), (Entries{{"log.txt", "old\nnew\n"}})) << path;
  }
}

// In a folder that everyone may write and that is sticky (as /tmp).
TEST_F(FileWriterTest, InASharedFolderFollowsOnlyLinksOfTheUserOrTheFolderOwner) {
  const TestUser other = UnprivilegedUser();
  if (!other.IsOtherUser) GTEST_SKIP() << "links of other owners can only be made by the superuser";
  const fs::path shared = dir_ / "shared";
  const fs::path link = shared / "planted.zam";
  fs::create_directory(shared);
  ASSERT_EQ(chown(shared.c_str(), other.Uid, other.Gid), 0);
  fs::create_symlink(dir_ / "victim.zam", link);
  // The link's owner, the folder's mode, whether the link is followed.
  const std::tuple<uid_t, mode_t, bool> rows[] = {{geteuid(), 01777, true},
                                                  {other.Uid, 01777, true},
                                                  {54321, 01777, false},
                                                  {54321, 0777, true},
                                                  {54321, 01775, true}};
  for (const auto& [owner, mode, followed] : rows) {
    SCOPED_TRACE(testing::Message() << owner << " " << std::oct << mode);
    PutFile(dir_ / "victim.zam", "old");
    ASSERT_EQ(chmod(shared.c_str(), mode), 0);
    ASSERT_EQ(lchown(link.c_str(), owner, static_cast<gid_t>(-1)), 0);
    if (followed) {
      WriteFileAtomically(link, "new");
    } else {
      EXPECT_THROW_MSG(WriteFileAtomically(link, "new"), FileError,
                       Refusal(link, "the symbolic link " + link.string() +
                                         " lies in a folder that everyone may write (sticky) and belongs neither to "
                                         "you nor to the folder's owner, so it is not followed"));
    }
    EXPECT_EQ(FileBytes(dir_ / "victim.zam"), followed ? "new" : "old");
    EXPECT_EQ(Snapshot(shared).size(), 1u);
  }
}

TEST_F(FileWriterTest, FileSizeLimitIsAnErrorThatLeavesNoTemporary) {
  PutFile(dir_ / "big.zam", "old");
  const ChildResult child = RunInChild(dir_, false, [&] {
    const rlimit limit{64 * 1024, 64 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    return TryWrite(dir_ / "big.zam", std::string(1 << 20, 'b'));
  });
  EXPECT_EQ(child.Signal, 0) << "the file-size signal ended the writer";
  EXPECT_EQ(child.Report, Refusal(dir_ / "big.zam", "File too large"));
  EXPECT_EQ(Snapshot(dir_), (Entries{{"big.zam", "old"}}));
}

// The writer is signalled as soon as its temporary exists (with more bytes again when the
// write was too quick to catch); an ignored signal lets the write finish.
TEST_F(FileWriterTest, ASignalDuringTheWriteRemovesTheTemporaryAndEndsTheProcessUnlessIgnored) {
  for (const auto& [signal, ignored] : {std::pair{SIGINT, false}, {SIGTERM, false}, {SIGHUP, false}, {SIGHUP, true}}) {
    ChildResult child;
    bool seen = false;
    for (std::size_t size = 32u << 20; size <= 512u << 20 && !seen; size *= 2) {
      PutFile(dir_ / "big.zam", "old");
      const RunningChild writer = StartChild(dir_, false, [&] {
        if (ignored) ::signal(signal, SIG_IGN);
        return TryWrite(dir_ / "big.zam", std::string(size, 'n'));
      });
      for (int i = 0; i < 200000 && !seen; ++i) {
        seen = std::distance(fs::directory_iterator(dir_), fs::directory_iterator()) > 1;
        if (!seen) std::this_thread::sleep_for(std::chrono::microseconds(20));
      }
      if (seen) kill(writer.Pid, signal);
      child = WaitForChild(writer);
    }
    ASSERT_TRUE(seen) << "never caught the writer during its write";
    EXPECT_EQ(child.Signal, ignored ? 0 : signal) << child.Report;
    EXPECT_EQ(Snapshot(dir_).size(), 1u);
    EXPECT_EQ(fs::file_size(dir_ / "big.zam") > 3, ignored) << signal;
  }
}

}  // namespace
}  // namespace zamo
