#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "document/FileWriter.h"
#include "model/ZamoError.h"
#include "tests/core/ChildProcess.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

namespace fs = std::filesystem;
using test::ChildResult;
using test::RunInChild;

std::string Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Put(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

fs::perms Permissions(const fs::path& path) { return fs::symlink_status(path).permissions() & fs::perms::mask; }

struct stat Status(const fs::path& path) {
  struct stat status {};
  EXPECT_EQ(lstat(path.c_str(), &status), 0) << path;
  return status;
}

std::vector<std::string> Entries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// What a child reports after trying a write: "written" or the error's text.
std::string TryWrite(const std::string& path, const std::string& bytes) {
  try {
    WriteFileAtomically(path, bytes);
    return "written";
  } catch (const FileError& error) {
    return error.what();
  }
}

std::string Refusal(const std::string& path, const std::string& reason) {
  return "Datei " + path + " kann nicht erstellt werden: " + reason;
}

// Every test works in a folder of its own that the unprivileged test user owns.
class FileWriterTest : public testing::Test {
 protected:
  void SetUp() override { dir_ = test::MakeTestFolder("writer"); }
  void TearDown() override { test::RemoveTestFolder(dir_); }

  fs::path dir_;
};

// ---- Replacing a regular file ----

TEST_F(FileWriterTest, ReplacesALongerFileWithoutLeavingItsTail) {
  const fs::path file = dir_ / "project.zam";
  Put(file, std::string(5000, 'x'));
  WriteFileAtomically(file, "short\r\n");
  EXPECT_EQ(Bytes(file), "short\r\n");
  EXPECT_EQ(Entries(dir_), std::vector<std::string>{"project.zam"});
}

TEST_F(FileWriterTest, ExistingFileKeepsItsPermissions) {
  for (const fs::perms mode : {fs::perms::owner_read | fs::perms::owner_write,
                               fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
                               fs::perms::owner_all | fs::perms::others_read}) {
    const fs::path file = dir_ / "kept.zam";
    Put(file, "old\r\n");
    fs::permissions(file, mode);
    WriteFileAtomically(file, "new\r\n");
    EXPECT_EQ(Permissions(file), mode);
    EXPECT_EQ(Bytes(file), "new\r\n");
  }
}

TEST_F(FileWriterTest, NewFileFollowsTheUmask) {
  const mode_t previous = umask(027);
  WriteFileAtomically(dir_ / "new.zam", "a");
  umask(previous);
  EXPECT_EQ(Permissions(dir_ / "new.zam"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(FileWriterTest, WritingThroughASymlinkReplacesItsTargetAndKeepsTheLink) {
  fs::create_directories(dir_ / "sub");
  Put(dir_ / "sub" / "real.zam", "old\r\n");
  fs::permissions(dir_ / "sub" / "real.zam", fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("sub/real.zam", dir_ / "link.zam");  // relative to the link's folder

  WriteFileAtomically(dir_ / "link.zam", "new\r\n");
  ASSERT_TRUE(fs::is_symlink(dir_ / "link.zam"));
  EXPECT_EQ(fs::read_symlink(dir_ / "link.zam"), "sub/real.zam");
  EXPECT_EQ(Bytes(dir_ / "sub" / "real.zam"), "new\r\n");
  EXPECT_EQ(Permissions(dir_ / "sub" / "real.zam"), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(Entries(dir_), (std::vector<std::string>{"link.zam", "sub"}));
  EXPECT_EQ(Entries(dir_ / "sub"), std::vector<std::string>{"real.zam"});
}

// The temporary name ".NAME.XXXXXX" is 8 bytes longer than the name; for the longest names
// it is shortened (before a whole character), so that the write still succeeds.
TEST_F(FileWriterTest, TheLongestNamesAreWritten) {
  std::string umlauts;
  for (int i = 0; i < 127; ++i) umlauts += "\xC3\xA4";  // 254 bytes of "ä"
  for (const std::string& name : {std::string(255, 'n'), std::string(248, 'n'), umlauts + "x"}) {
    const fs::path file = dir_ / name;
    Put(file, "old");
    WriteFileAtomically(file, "new");
    EXPECT_EQ(Bytes(file), "new") << name.size();
    EXPECT_EQ(Entries(dir_), std::vector<std::string>{name});
    fs::remove(file);
  }
}

// Root replacing someone else's file must not take it from its owner.
TEST_F(FileWriterTest, ReplacedFileKeepsItsOwnerAndGroup) {
  const test::TestUser user = test::UnprivilegedUser();
  if (!user.IsOtherUser) GTEST_SKIP() << "only the superuser can write a file of another owner";
  const fs::path file = dir_ / "theirs.zam";
  Put(file, "old\r\n");
  ASSERT_EQ(chown(file.c_str(), user.Uid, user.Gid), 0);
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  WriteFileAtomically(file, "new\r\n");
  const struct stat after = Status(file);
  EXPECT_EQ(after.st_uid, user.Uid);
  EXPECT_EQ(after.st_gid, user.Gid);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  EXPECT_EQ(Bytes(file), "new\r\n");
}

// ---- Refusals: the old file stays, no temporary is left, the message names the reason ----

struct Refused {
  const char* name;
  std::string path;  // relative to the test folder
  const char* reason;
};

void PrintTo(const Refused& row, std::ostream* out) { *out << row.name; }

class FileWriterRefusalTest : public FileWriterTest, public testing::WithParamInterface<Refused> {};

TEST_P(FileWriterRefusalTest, NamesTheFileAndTheSystemsReason) {
  Put(dir_ / "file.zam", "kept\r\n");
  const std::string path = GetParam().path.empty() ? "" : (dir_ / GetParam().path).string();
  EXPECT_THROW_MSG(WriteFileAtomically(path, "new\r\n"), FileError, Refusal(path, GetParam().reason));
  EXPECT_EQ(Bytes(dir_ / "file.zam"), "kept\r\n");
  EXPECT_EQ(Entries(dir_), std::vector<std::string>{"file.zam"});
}

INSTANTIATE_TEST_SUITE_P(Places, FileWriterRefusalTest,
                         testing::Values(Refused{"MissingFolder", "missing/new.zam", "No such file or directory"},
                                         Refused{"FolderIsAFile", "file.zam/new.zam", "Not a directory"},
                                         Refused{"TargetIsAFolder", ".", "Is a directory"},
                                         Refused{"NameLongerThanNameMax", std::string(256, 'n'), "File name too long"},
                                         Refused{"EmptyPath", "", "No such file or directory"}),
                         [](const testing::TestParamInfo<Refused>& row) { return row.param.name; });

// A file without any write bit is refused whoever writes, the superuser included.
TEST_F(FileWriterTest, ReadOnlyFileIsRefusedEvenForTheSuperuser) {
  const fs::path file = dir_ / "locked.zam";
  Put(file, "old\r\n");
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_THROW_MSG(WriteFileAtomically(file, "new\r\n"), FileError, Refusal(file, "Permission denied"));
  EXPECT_EQ(Bytes(file), "old\r\n");
  EXPECT_EQ(Permissions(file), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(Entries(dir_), std::vector<std::string>{"locked.zam"});
}

// A place the system itself refuses, whoever writes.
TEST_F(FileWriterTest, FileOfTheProcFileSystemIsRefused) {
  const fs::path file = "/proc/version";
  if (!fs::exists(file)) GTEST_SKIP() << "no /proc";
  const std::string before = Bytes(file);
  EXPECT_THROW_MSG(WriteFileAtomically(file, "new"), FileError, Refusal(file, "Permission denied"));
  EXPECT_EQ(Bytes(file), before);
}

// Permissions as an ordinary user meets them, also where the suite runs as root: the write
// runs in a child that has become "nobody".
enum class Setup { ReadOnlyFile, ForeignOwner, ReadOnlyFolder, ForeignFifo };

struct Unprivileged {
  const char* name;
  Setup setup;
  bool needsAnotherOwner;
};

void PrintTo(const Unprivileged& row, std::ostream* out) { *out << row.name; }

class FileWriterUnprivilegedTest : public FileWriterTest, public testing::WithParamInterface<Unprivileged> {};

TEST_P(FileWriterUnprivilegedTest, RefusesAndKeepsTheOldFile) {
  const test::TestUser user = test::UnprivilegedUser();
  if (GetParam().needsAnotherOwner && !user.IsOtherUser) {
    GTEST_SKIP() << "a file of another owner can only be made by the superuser";
  }
  const fs::path file = dir_ / "target.zam";
  mode_t mode = 0644;
  if (GetParam().setup == Setup::ForeignFifo) {
    ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    mode = 0600;
  } else {
    Put(file, "old\r\n");
  }
  if (GetParam().setup != Setup::ForeignOwner && GetParam().setup != Setup::ForeignFifo) test::GiveToTestUser(file);
  if (GetParam().setup == Setup::ReadOnlyFile) mode = 0444;
  ASSERT_EQ(chmod(file.c_str(), mode), 0);
  if (GetParam().setup == Setup::ReadOnlyFolder) fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  const struct stat before = Status(file);

  const ChildResult child = RunInChild(dir_, true, [&] { return TryWrite(file, "new\r\n"); });
  EXPECT_EQ(child.ExitStatus, 0);
  EXPECT_EQ(child.Report, Refusal(file, "Permission denied"));

  fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
  const struct stat after = Status(file);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode, before.st_mode);
  EXPECT_EQ(after.st_uid, before.st_uid);
  if (S_ISREG(after.st_mode)) {
    EXPECT_EQ(Bytes(file), "old\r\n");
  }
  EXPECT_EQ(Entries(dir_), std::vector<std::string>{"target.zam"});
}

INSTANTIATE_TEST_SUITE_P(Places, FileWriterUnprivilegedTest,
                         testing::Values(Unprivileged{"ReadOnlyFile", Setup::ReadOnlyFile, false},
                                         Unprivileged{"ForeignOwner", Setup::ForeignOwner, true},
                                         Unprivileged{"ReadOnlyFolder", Setup::ReadOnlyFolder, false},
                                         Unprivileged{"ForeignFifo", Setup::ForeignFifo, true}),
                         [](const testing::TestParamInfo<Unprivileged>& row) { return row.param.name; });

TEST_F(FileWriterTest, ReadOnlyFolderKeepsTheExistingFile) {
  const fs::path file = dir_ / "project.zam";
  Put(file, "old\r\ncontent\r\n");
  test::GiveToTestUser(file);
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  const ChildResult child = RunInChild(dir_, true, [&] { return TryWrite(file, "new\r\n"); });
  fs::permissions(dir_, fs::perms::owner_all);
  EXPECT_EQ(child.Report, Refusal(file, "Permission denied"));
  EXPECT_EQ(Bytes(file), "old\r\ncontent\r\n");
  EXPECT_EQ(Entries(dir_), std::vector<std::string>{"project.zam"});
}

// ---- Targets that are not regular files are written, never replaced ----

TEST_F(FileWriterTest, FifoTargetIsWrittenNotReplaced) {
  const fs::path fifo = dir_ / "pipe.zam";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  test::GiveToTestUser(fifo);
  const std::string payload(200000, 'p');  // more than a pipe holds at once
  // The reader opens without blocking, so that a writer that fails before opening cannot
  // hang the test; it reads until the writer has gone.
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  const test::RunningChild writer = test::StartChild(dir_, true, [&] { return TryWrite(fifo, payload); });
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
  const ChildResult child = test::WaitForChild(writer);
  EXPECT_EQ(child.Report, "written");
  EXPECT_EQ(received, payload);
  EXPECT_TRUE(S_ISFIFO(Status(fifo).st_mode));
  EXPECT_EQ(Entries(dir_), std::vector<std::string>{"pipe.zam"});
}

// A device node of our own (as root only): /dev/null and /dev/full themselves are never
// risked.
TEST_F(FileWriterTest, DeviceTargetIsWrittenNotReplacedAndReportsItsError) {
  if (geteuid() != 0) GTEST_SKIP() << "only the superuser can make a device node";
  const fs::path null = dir_ / "null";
  const fs::path full = dir_ / "full";
  if (mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0 ||
      mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0) {
    GTEST_SKIP() << "no device nodes here";
  }
  if (const int fd = open(null.c_str(), O_WRONLY); fd < 0) {
    GTEST_SKIP() << "device nodes are not usable on this file system";
  } else {
    close(fd);
  }
  WriteFileAtomically(null, "into nothing");
  EXPECT_THROW_MSG(WriteFileAtomically(full, "into a full device"), FileError,
                   Refusal(full, "No space left on device"));
  EXPECT_TRUE(S_ISCHR(Status(null).st_mode));
  EXPECT_TRUE(S_ISCHR(Status(full).st_mode));
  EXPECT_EQ(Entries(dir_), (std::vector<std::string>{"full", "null"}));
}

// ---- Open descriptors of the process are written through, never replaced ----

struct DescriptorPath {
  const char* name;
  std::string (*path)(int fd, const fs::path& folder);
};

void PrintTo(const DescriptorPath& row, std::ostream* out) { *out << row.name; }

class FileWriterDescriptorTest : public FileWriterTest, public testing::WithParamInterface<DescriptorPath> {};

// A file opened to append (as the shell's ">>" opens it) gets the bytes at its end, stays
// the same file, and its descriptor stays open.
TEST_P(FileWriterDescriptorTest, AppendsToAFileOpenedToAppend) {
  const fs::path file = dir_ / "log.txt";
  Put(file, "old\n");
  const ino_t inode = Status(file).st_ino;
  const int fd = open(file.c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(fd, 0);
  const std::string path = GetParam().path(fd, dir_);
  const ChildResult child = RunInChild(dir_, false, [&] {
    dup2(fd, STDOUT_FILENO);  // for /dev/stdout
    const std::string report = TryWrite(path, "new\n");
    return report + (fcntl(fd, F_GETFD) == 0 ? "" : ", closed");
  });
  close(fd);
  EXPECT_EQ(child.Report, "written");
  EXPECT_EQ(Bytes(file), "old\nnew\n");
  EXPECT_EQ(Status(file).st_ino, inode);
  std::vector<std::string> names = Entries(dir_);
  std::erase(names, "out");  // the link of one path
  EXPECT_EQ(names, std::vector<std::string>{"log.txt"});
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
    [](const testing::TestParamInfo<DescriptorPath>& row) { return row.param.name; });

TEST_F(FileWriterTest, PipeDescriptorIsWrittenInto) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  WriteFileAtomically("/proc/self/fd/" + std::to_string(ends[1]), "through the pipe");
  close(ends[1]);
  char buffer[64] = {};
  EXPECT_EQ(read(ends[0], buffer, sizeof buffer), 16);
  close(ends[0]);
  EXPECT_STREQ(buffer, "through the pipe");
  EXPECT_THROW_MSG(WriteFileAtomically("/dev/fd/987", "x"), FileError, Refusal("/dev/fd/987", "Bad file descriptor"));
}

// ---- Symbolic links in shared folders (world-writable and sticky, as /tmp) ----

enum class LinkOwner { User, FolderOwner, Stranger };

struct SharedLink {
  const char* name;
  LinkOwner owner;
  mode_t folderMode;
  bool followed;
};

void PrintTo(const SharedLink& row, std::ostream* out) { *out << row.name; }

class FileWriterSharedFolderTest : public FileWriterTest, public testing::WithParamInterface<SharedLink> {};

TEST_P(FileWriterSharedFolderTest, FollowsOnlyLinksOfTheUserOrTheFolderOwner) {
  const test::TestUser folderOwner = test::UnprivilegedUser();
  if (!folderOwner.IsOtherUser) GTEST_SKIP() << "links of other owners can only be made by the superuser";
  constexpr uid_t kStranger = 54321;
  const fs::path shared = dir_ / "shared";
  fs::create_directory(shared);
  ASSERT_EQ(chown(shared.c_str(), folderOwner.Uid, folderOwner.Gid), 0);
  ASSERT_EQ(chmod(shared.c_str(), GetParam().folderMode), 0);
  Put(dir_ / "victim.zam", "old");
  const fs::path link = shared / "planted.zam";
  fs::create_symlink(dir_ / "victim.zam", link);
  const uid_t owner = GetParam().owner == LinkOwner::User          ? geteuid()
                      : GetParam().owner == LinkOwner::FolderOwner ? folderOwner.Uid
                                                                   : kStranger;
  ASSERT_EQ(lchown(link.c_str(), owner, static_cast<gid_t>(-1)), 0);

  if (GetParam().followed) {
    WriteFileAtomically(link, "new");
    EXPECT_EQ(Bytes(dir_ / "victim.zam"), "new");
  } else {
    EXPECT_THROW_MSG(WriteFileAtomically(link, "new"), FileError,
                     Refusal(link, "the symbolic link " + link.string() +
                                       " lies in a folder that everyone may write (sticky) and belongs neither to "
                                       "you nor to the folder's owner, so it is not followed"));
    EXPECT_EQ(Bytes(dir_ / "victim.zam"), "old");
  }
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Entries(shared), std::vector<std::string>{"planted.zam"});
  EXPECT_EQ(Entries(dir_), (std::vector<std::string>{"shared", "victim.zam"}));
}

INSTANTIATE_TEST_SUITE_P(Owners, FileWriterSharedFolderTest,
                         testing::Values(SharedLink{"UsersOwnLink", LinkOwner::User, 01777, true},
                                         SharedLink{"FolderOwnersLink", LinkOwner::FolderOwner, 01777, true},
                                         SharedLink{"StrangersLink", LinkOwner::Stranger, 01777, false},
                                         SharedLink{"StrangersLinkWithoutSticky", LinkOwner::Stranger, 0777, true},
                                         SharedLink{"StrangersLinkNotWorldWritable", LinkOwner::Stranger, 01775, true}),
                         [](const testing::TestParamInfo<SharedLink>& row) { return row.param.name; });

// ---- Limits and signals during the write ----

TEST_F(FileWriterTest, FileSizeLimitIsAnErrorThatLeavesNoTemporary) {
  const fs::path file = dir_ / "big.zam";
  Put(file, "old");
  const ChildResult child = RunInChild(dir_, false, [&] {
    constexpr rlim_t kLimit = 64 * 1024;
    const rlimit limit{kLimit, kLimit};
    setrlimit(RLIMIT_FSIZE, &limit);
    return TryWrite(file, std::string(1 << 20, 'b'));
  });
  EXPECT_EQ(child.Signal, 0) << "the file-size signal ended the writer";
  EXPECT_EQ(child.Report, Refusal(file, "File too large"));
  EXPECT_EQ(Bytes(file), "old");
  EXPECT_EQ(Entries(dir_), std::vector<std::string>{"big.zam"});
}

bool HasTemporary(const fs::path& folder) {
  for (const std::string& name : Entries(folder)) {
    if (name.rfind(".big.zam.", 0) == 0) return true;
  }
  return false;
}

// Starts a child writing a large file over "big.zam" and signals it as soon as its
// temporary file exists; tries again with more bytes when the write was too quick to catch.
ChildResult SignalDuringWrite(const fs::path& folder, int signal, bool ignoreHangup) {
  for (std::size_t size = 32u << 20; size <= 512u << 20; size *= 2) {
    const test::RunningChild writer = test::StartChild(folder, false, [&] {
      if (ignoreHangup) ::signal(SIGHUP, SIG_IGN);
      return TryWrite((folder / "big.zam").string(), std::string(size, 'n'));
    });
    bool seen = false;
    for (int i = 0; i < 200000 && !seen; ++i) {
      seen = HasTemporary(folder);
      if (!seen) std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
    if (seen) kill(writer.Pid, signal);
    ChildResult result = test::WaitForChild(writer);
    if (seen) return result;
    fs::remove(folder / "big.zam");
    Put(folder / "big.zam", "old");
  }
  ADD_FAILURE() << "never caught the writer during its write";
  return {};
}

class FileWriterSignalTest : public FileWriterTest, public testing::WithParamInterface<int> {};

TEST_P(FileWriterSignalTest, RemovesTheTemporaryAndEndsTheProcess) {
  Put(dir_ / "big.zam", "old");
  const ChildResult child = SignalDuringWrite(dir_, GetParam(), false);
  EXPECT_EQ(child.Signal, GetParam()) << child.Report;
  EXPECT_EQ(Bytes(dir_ / "big.zam"), "old");
  EXPECT_EQ(Entries(dir_), std::vector<std::string>{"big.zam"});
}

INSTANTIATE_TEST_SUITE_P(Signals, FileWriterSignalTest, testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const testing::TestParamInfo<int>& row) { return std::string(sigabbrev_np(row.param)); });

TEST_F(FileWriterTest, IgnoredHangupLetsTheWriteFinish) {
  Put(dir_ / "big.zam", "old");
  const ChildResult child = SignalDuringWrite(dir_, SIGHUP, true);
  EXPECT_EQ(child.ExitStatus, 0);
  EXPECT_EQ(child.Report, "written");
  EXPECT_GE(fs::file_size(dir_ / "big.zam"), 32u << 20);
  EXPECT_EQ(Entries(dir_), std::vector<std::string>{"big.zam"});
}

extern "C" void CountTerm(int) {}

TEST_F(FileWriterTest, SignalDispositionsAreRestoredAfterTheWrite) {
  struct sigaction own {};
  own.sa_handler = CountTerm;
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
  EXPECT_EQ(term.sa_handler, &CountTerm);
  EXPECT_EQ(pipe.sa_handler, &CountTerm);
}

}  // namespace
}  // namespace zamo
