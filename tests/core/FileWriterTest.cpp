#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
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

fs::perms Permissions(const fs::path& path) { return fs::symlink_status(path).permissions() & fs::perms::mask; }

struct stat Status(const fs::path& path) {
  struct stat status {};
  EXPECT_EQ(lstat(path.c_str(), &status), 0) << path;
  return status;
}

// Every entry of a folder with the bytes of each regular file: what a refused write must
// leave exactly as it was (no temporary file either).
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
  std::map<std::string, std::string> entries;
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

// ---- Replacing a regular file ----

TEST_F(FileWriterTest, ReplacesTheFileWithoutItsTailKeepingItsModeAndNewFilesFollowTheUmask) {
  const fs::path file = dir_ / "kept.zam";
  for (const fs::perms mode : {fs::perms::owner_read | fs::perms::owner_write,
                               fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read}) {
    PutFile(file, std::string(5000, 'x'));
    fs::permissions(file, mode);
    WriteFileAtomically(file, "new\r\n");
    EXPECT_EQ(Permissions(file), mode);
    EXPECT_EQ(Snapshot(dir_), (std::map<std::string, std::string>{{"kept.zam", "new\r\n"}}));
  }
  const mode_t previous = umask(027);
  WriteFileAtomically(dir_ / "new.zam", "a");
  umask(previous);
  EXPECT_EQ(Permissions(dir_ / "new.zam"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(FileWriterTest, WritingThroughASymlinkReplacesItsTargetAndKeepsTheLink) {
  fs::create_directories(dir_ / "sub");
  PutFile(dir_ / "sub" / "real.zam", "old\r\n");
  fs::permissions(dir_ / "sub" / "real.zam", fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("sub/real.zam", dir_ / "link.zam");  // relative to the link's folder
  WriteFileAtomically(dir_ / "link.zam", "new\r\n");
  EXPECT_EQ(fs::read_symlink(dir_ / "link.zam"), "sub/real.zam");
  EXPECT_EQ(Permissions(dir_ / "sub" / "real.zam"), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(Snapshot(dir_ / "sub"), (std::map<std::string, std::string>{{"real.zam", "new\r\n"}}));
  EXPECT_EQ(Snapshot(dir_).size(), 2u);
}

// The temporary name ".NAME.XXXXXX" is 8 bytes longer than the name; for the longest names
// it is shortened (before a whole character), so that the write still succeeds.
TEST_F(FileWriterTest, TheLongestNamesAreWritten) {
  std::string umlauts;
  for (int i = 0; i < 127; ++i) umlauts += "\xC3\xA4";  // 254 bytes of "ä"
  for (const std::string& name : {std::string(255, 'n'), std::string(248, 'n'), umlauts + "x"}) {
    PutFile(dir_ / name, "old");
    WriteFileAtomically(dir_ / name, "new");
    EXPECT_EQ(Snapshot(dir_), (std::map<std::string, std::string>{{name, "new"}})) << name.size();
    fs::remove(dir_ / name);
  }
}

// The superuser replacing someone else's file must not take it from its owner.
TEST_F(FileWriterTest, ReplacedFileKeepsItsOwnerAndGroup) {
  const TestUser user = UnprivilegedUser();
  if (!user.IsOtherUser) GTEST_SKIP() << "only the superuser can write a file of another owner";
  const fs::path file = dir_ / "theirs.zam";
  PutFile(file, "old\r\n");
  ASSERT_EQ(chown(file.c_str(), user.Uid, user.Gid), 0);
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  WriteFileAtomically(file, "new\r\n");
  const struct stat after = Status(file);
  EXPECT_EQ(after.st_uid, user.Uid);
  EXPECT_EQ(after.st_gid, user.Gid);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
}

// ---- Refusals: the old file stays, no temporary is left, the message names the reason ----

struct Refused {
  const char* name;
  std::function<std::string(const fs::path& dir)> place;  // makes the target, gives its path
  const char* reason;
};

void PrintTo(const Refused& row, std::ostream* out) { *out << row.name; }

class FileWriterRefusalTest : public TempFolderTest, public testing::WithParamInterface<Refused> {};

TEST_P(FileWriterRefusalTest, NamesTheFileAndTheSystemsReason) {
  PutFile(dir_ / "file.zam", "kept\r\n");
  const std::string path = GetParam().place(dir_);
  const auto before = Snapshot(dir_);
  EXPECT_THROW_MSG(WriteFileAtomically(path, "new\r\n"), FileError, Refusal(path, GetParam().reason));
  EXPECT_EQ(Snapshot(dir_), before);
}

const std::string kReadOnly = "locked.zam";

INSTANTIATE_TEST_SUITE_P(
    Places, FileWriterRefusalTest,
    testing::Values(
        Refused{"MissingFolder", [](const fs::path& d) { return d / "missing/new.zam"; }, "No such file or directory"},
        Refused{"FolderIsAFile", [](const fs::path& d) { return d / "file.zam/new.zam"; }, "Not a directory"},
        Refused{"TargetIsAFolder", [](const fs::path& d) { return d.string(); }, "Is a directory"},
        Refused{"NameLongerThanNameMax", [](const fs::path& d) { return d / std::string(256, 'n'); },
                "File name too long"},
        Refused{"EmptyPath", [](const fs::path&) { return std::string(); }, "No such file or directory"},
        // No write bit at all binds the superuser as well.
        Refused{"ReadOnlyFileEvenForTheSuperuser",
                [](const fs::path& d) {
                  PutFile(d / "locked.zam", "old\r\n");
                  fs::permissions(d / "locked.zam", fs::perms::owner_read | fs::perms::others_read);
                  return d / "locked.zam";
                },
                "Permission denied"},
        Refused{"FileOfTheProcFileSystem", [](const fs::path&) { return std::string("/proc/version"); },
                "Permission denied"},
        Refused{"ClosedDescriptor", [](const fs::path&) { return std::string("/dev/fd/987"); }, "Bad file descriptor"}),
    CaseName());

// Permissions as an ordinary user meets them, also where the suite runs as the superuser:
// the write runs in a child that has become "nobody".
class FileWriterUnprivilegedTest : public TempFolderTest, public testing::WithParamInterface<bool> {};

TEST_P(FileWriterUnprivilegedTest, ReadOnlyFileOrFolderIsRefusedAndKeepsTheOldFile) {
  const bool readOnlyFolder = GetParam();
  const fs::path file = dir_ / "target.zam";
  PutFile(file, "old\r\n");
  ASSERT_EQ(chmod(file.c_str(), readOnlyFolder ? 0644 : 0444), 0);
  GiveToTestUser(file);
  if (readOnlyFolder) fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  const ino_t inode = Status(file).st_ino;
  const auto entries = Snapshot(dir_);
  const ChildResult child = RunInChild(dir_, true, [&] { return TryWrite(file, "new\r\n"); });
  EXPECT_EQ(child.Report, Refusal(file, "Permission denied"));
  fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
  EXPECT_EQ(Status(file).st_ino, inode);
  EXPECT_EQ(Snapshot(dir_), entries);
}

INSTANTIATE_TEST_SUITE_P(Places, FileWriterUnprivilegedTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& row) {
                           return row.param ? "ReadOnlyFolder" : "ReadOnlyFile";
                         });

// ---- Targets that are not regular files are written, never replaced ----

TEST_F(FileWriterTest, FifoTargetIsWrittenNotReplaced) {
  const fs::path fifo = dir_ / "pipe.zam";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  GiveToTestUser(fifo);
  const std::string payload(200000, 'p');  // more than a pipe holds at once
  // The reader does not block, so that a writer failing before it opens cannot hang the
  // test; it reads until the writer has gone.
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  const RunningChild writer = StartChild(dir_, true, [&] { return TryWrite(fifo, payload); });
  std::string received;
  for (bool writerGone = false;;) {
    char buffer[65536];
    const ssize_t n = read(reader, buffer, sizeof buffer);
    if (n > 0) {
      received.append(buffer, static_cast<std::size_t>(n));
    } else if (writerGone) {
      break;
    } else {
      siginfo_t info{};
      writerGone = waitid(P_PID, static_cast<id_t>(writer.Pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
                   info.si_pid == writer.Pid;
      if (!writerGone) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  close(reader);
  EXPECT_EQ(WaitForChild(writer).Report, "written");
  EXPECT_EQ(received, payload);
  EXPECT_TRUE(S_ISFIFO(Status(fifo).st_mode));
  EXPECT_EQ(Snapshot(dir_).size(), 1u);
}

// Device nodes of our own (superuser only): /dev/null and /dev/full themselves are never
// risked.
TEST_F(FileWriterTest, DeviceTargetIsWrittenNotReplacedAndReportsItsError) {
  const fs::path null = dir_ / "null";
  const fs::path full = dir_ / "full";
  if (geteuid() != 0 || mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0 ||
      mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0) {
    GTEST_SKIP() << "no device nodes here";
  }
  if (const int fd = open(null.c_str(), O_WRONLY); fd < 0)
    GTEST_SKIP() << "device nodes are not usable here";
  else
    close(fd);
  WriteFileAtomically(null, "into nothing");
  EXPECT_THROW_MSG(WriteFileAtomically(full, "x"), FileError, Refusal(full, "No space left on device"));
  EXPECT_TRUE(S_ISCHR(Status(null).st_mode));
  EXPECT_TRUE(S_ISCHR(Status(full).st_mode));
  EXPECT_EQ(Snapshot(dir_).size(), 2u);
}

// ---- Open descriptors of the process are written through, never replaced ----

struct DescriptorPath {
  const char* name;
  std::string (*path)(int fd, const fs::path& folder);
};

void PrintTo(const DescriptorPath& row, std::ostream* out) { *out << row.name; }

class FileWriterDescriptorTest : public TempFolderTest, public testing::WithParamInterface<DescriptorPath> {};

// A file opened to append (as the shell's ">>" opens it) gets the bytes at its end, stays
// the same file, and its descriptor stays open.
TEST_P(FileWriterDescriptorTest, AppendsToAFileOpenedToAppend) {
  const fs::path file = dir_ / "log.txt";
  PutFile(file, "old\n");
  const ino_t inode = Status(file).st_ino;
  const int fd = open(file.c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(fd, 0);
  const std::string path = GetParam().path(fd, dir_);
  const ChildResult child = RunInChild(dir_, false, [&] {
    dup2(fd, STDOUT_FILENO);  // for /dev/stdout
    return TryWrite(path, "new\n") + (fcntl(fd, F_GETFD) == 0 ? "" : ", closed");
  });
  close(fd);
  EXPECT_EQ(child.Report, "written");
  EXPECT_EQ(FileBytes(file), "old\nnew\n");
  EXPECT_EQ(Status(file).st_ino, inode);
  auto entries = Snapshot(dir_);
  entries.erase("out");  // the link of one path
  EXPECT_EQ(entries.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FileWriterDescriptorTest,
    testing::Values(DescriptorPath{"DevStdout", [](int, const fs::path&) { return std::string("/dev/stdout"); }},
                    DescriptorPath{"DevFd", [](int fd, const fs::path&) { return "/dev/fd/" + std::to_string(fd); }},
                    DescriptorPath{"ProcSelfFd",
                                   [](int fd, const fs::path&) { return "/proc/self/fd/" + std::to_string(fd); }},
                    DescriptorPath{"LinkToDevStdout",
                                   [](int, const fs::path& folder) {
                                     fs::create_symlink("/dev/stdout", folder / "out");
                                     return (folder / "out").string();
                                   }}),
    CaseName());

// ---- Symbolic links in shared folders (world-writable and sticky, as /tmp) ----

enum class LinkOwner { User, FolderOwner, Stranger };

struct SharedLink {
  const char* name;
  LinkOwner owner;
  mode_t folderMode;
  bool followed;
};

void PrintTo(const SharedLink& row, std::ostream* out) { *out << row.name; }

class FileWriterSharedFolderTest : public TempFolderTest, public testing::WithParamInterface<SharedLink> {};

TEST_P(FileWriterSharedFolderTest, FollowsOnlyLinksOfTheUserOrTheFolderOwner) {
  const TestUser folderOwner = UnprivilegedUser();
  if (!folderOwner.IsOtherUser) GTEST_SKIP() << "links of other owners can only be made by the superuser";
  const fs::path shared = dir_ / "shared";
  fs::create_directory(shared);
  ASSERT_EQ(chown(shared.c_str(), folderOwner.Uid, folderOwner.Gid), 0);
  ASSERT_EQ(chmod(shared.c_str(), GetParam().folderMode), 0);
  PutFile(dir_ / "victim.zam", "old");
  const fs::path link = shared / "planted.zam";
  fs::create_symlink(dir_ / "victim.zam", link);
  const LinkOwner owner = GetParam().owner;
  const uid_t uid = owner == LinkOwner::User ? geteuid() : owner == LinkOwner::FolderOwner ? folderOwner.Uid : 54321;
  ASSERT_EQ(lchown(link.c_str(), uid, static_cast<gid_t>(-1)), 0);

  if (GetParam().followed) {
    WriteFileAtomically(link, "new");
  } else {
    EXPECT_THROW_MSG(WriteFileAtomically(link, "new"), FileError,
                     Refusal(link, "the symbolic link " + link.string() +
                                       " lies in a folder that everyone may write (sticky) and belongs neither to "
                                       "you nor to the folder's owner, so it is not followed"));
  }
  EXPECT_EQ(FileBytes(dir_ / "victim.zam"), GetParam().followed ? "new" : "old");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Snapshot(shared).size() + Snapshot(dir_).size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Owners, FileWriterSharedFolderTest,
                         testing::Values(SharedLink{"UsersOwnLink", LinkOwner::User, 01777, true},
                                         SharedLink{"FolderOwnersLink", LinkOwner::FolderOwner, 01777, true},
                                         SharedLink{"StrangersLink", LinkOwner::Stranger, 01777, false},
                                         SharedLink{"StrangersLinkWithoutSticky", LinkOwner::Stranger, 0777, true},
                                         SharedLink{"StrangersLinkNotWorldWritable", LinkOwner::Stranger, 01775, true}),
                         CaseName());

// ---- Limits and signals during the write ----

TEST_F(FileWriterTest, FileSizeLimitIsAnErrorThatLeavesNoTemporary) {
  const fs::path file = dir_ / "big.zam";
  PutFile(file, "old");
  const ChildResult child = RunInChild(dir_, false, [&] {
    const rlimit limit{64 * 1024, 64 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    return TryWrite(file, std::string(1 << 20, 'b'));
  });
  EXPECT_EQ(child.Signal, 0) << "the file-size signal ended the writer";
  EXPECT_EQ(child.Report, Refusal(file, "File too large"));
  EXPECT_EQ(Snapshot(dir_), (std::map<std::string, std::string>{{"big.zam", "old"}}));
}

// Starts a child writing a large file over "big.zam" and signals it as soon as its
// temporary file exists; tries again with more bytes when the write was too quick to catch.
ChildResult SignalDuringWrite(const fs::path& folder, int signal, bool ignoreHangup) {
  for (std::size_t size = 32u << 20; size <= 512u << 20; size *= 2) {
    PutFile(folder / "big.zam", "old");
    const RunningChild writer = StartChild(folder, false, [&] {
      if (ignoreHangup) ::signal(SIGHUP, SIG_IGN);
      return TryWrite((folder / "big.zam").string(), std::string(size, 'n'));
    });
    bool seen = false;
    for (int i = 0; i < 200000 && !seen; ++i) {
      seen = std::distance(fs::directory_iterator(folder), fs::directory_iterator()) > 1;
      if (!seen) std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
    if (seen) kill(writer.Pid, signal);
    const ChildResult result = WaitForChild(writer);
    if (seen) return result;
  }
  ADD_FAILURE() << "never caught the writer during its write";
  return {};
}

class FileWriterSignalTest : public TempFolderTest, public testing::WithParamInterface<int> {};

TEST_P(FileWriterSignalTest, RemovesTheTemporaryAndEndsTheProcess) {
  const ChildResult child = SignalDuringWrite(dir_, GetParam(), false);
  EXPECT_EQ(child.Signal, GetParam()) << child.Report;
  EXPECT_EQ(Snapshot(dir_), (std::map<std::string, std::string>{{"big.zam", "old"}}));
}

INSTANTIATE_TEST_SUITE_P(Signals, FileWriterSignalTest, testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const testing::TestParamInfo<int>& row) { return std::string(sigabbrev_np(row.param)); });

TEST_F(FileWriterTest, IgnoredHangupLetsTheWriteFinish) {
  const ChildResult child = SignalDuringWrite(dir_, SIGHUP, true);
  EXPECT_EQ(child.Report, "written");
  EXPECT_GE(fs::file_size(dir_ / "big.zam"), 32u << 20);
  EXPECT_EQ(Snapshot(dir_).size(), 1u);
}

extern "C" void IgnoreSignal(int) {}

TEST_F(FileWriterTest, SignalDispositionsAreRestoredAfterTheWrite) {
  struct sigaction own {};
  own.sa_handler = IgnoreSignal;
  sigemptyset(&own.sa_mask);
  struct sigaction previousTerm {};
  struct sigaction previousPipe {};
  sigaction(SIGTERM, &own, &previousTerm);
  sigaction(SIGPIPE, &own, &previousPipe);
  WriteFileAtomically(dir_ / "a.zam", "a");
  EXPECT_THROW(WriteFileAtomically(dir_ / "missing" / "b.zam", "b"), FileError);
  struct sigaction term {};
  struct sigaction pipe {};
  sigaction(SIGTERM, &previousTerm, &term);
  sigaction(SIGPIPE, &previousPipe, &pipe);
  EXPECT_EQ(term.sa_handler, &IgnoreSignal);
  EXPECT_EQ(pipe.sa_handler, &IgnoreSignal);
}

}  // namespace
}  // namespace zamo
