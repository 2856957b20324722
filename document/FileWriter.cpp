#include "document/FileWriter.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <optional>
#include <random>

#include "model/PlatformTexts.h"
#include "model/ZamoError.h"

namespace zamo {

namespace fs = std::filesystem;

namespace {

// The temporary file of the write in progress, for the signal handler, which may neither
// allocate nor lock: its path lives in a fixed buffer, and the flag says whether the
// buffer names a file this write created and has not yet renamed.
char temporaryPath[PATH_MAX];
std::atomic<bool> temporaryExists{false};
static_assert(std::atomic<bool>::is_always_lock_free, "read from a signal handler");

// One write at a time, since the buffer above and the signal dispositions are shared.
std::mutex writeMutex;

// Signals that end the process and must first remove the temporary file.
constexpr std::array<int, 3> kEndingSignals = {SIGINT, SIGTERM, SIGHUP};
// Signals that would end the process in the middle of a write; ignored while it runs, so
// that the write fails with EFBIG or EPIPE and is cleaned up like any other failure.
constexpr std::array<int, 2> kFailingSignals = {SIGXFSZ, SIGPIPE};

// Installed with SA_RESETHAND, so the default action is back when it runs; the raised
// signal stays blocked until the handler returns and then ends the process.
extern "C" void RemoveTemporaryAndReraise(int signal) {
  if (temporaryExists.load()) unlink(temporaryPath);
  raise(signal);
}

[[noreturn]] void Refuse(const std::string& path, int error) {
  throw FileError(path, texts::CannotCreateFile(path, texts::SystemReason(error)));
}

// Sets the signal dispositions a write needs and restores the previous ones.
class SignalGuard {
 public:
  explicit SignalGuard(bool removeTemporary) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    for (const int signal : kFailingSignals) Replace(signal, ignore);
    if (!removeTemporary) return;

    struct sigaction remove {};
    remove.sa_handler = RemoveTemporaryAndReraise;
    remove.sa_flags = SA_RESETHAND;
    sigemptyset(&remove.sa_mask);
    for (const int signal : kEndingSignals) {
      struct sigaction previous {};
      sigaction(signal, nullptr, &previous);
      if (previous.sa_handler != SIG_IGN) Replace(signal, remove);  // nohup stays in force
    }
  }
  ~SignalGuard() {
    for (std::size_t i = 0; i < count_; ++i) sigaction(saved_[i].Signal, &saved_[i].Action, nullptr);
  }
  SignalGuard(const SignalGuard&) = delete;
  SignalGuard& operator=(const SignalGuard&) = delete;

 private:
  struct Saved {
    int Signal = 0;
    struct sigaction Action {};
  };

  void Replace(int signal, const struct sigaction& action) {
    if (sigaction(signal, &action, &saved_[count_].Action) == 0) saved_[count_++].Signal = signal;
  }

  std::array<Saved, kEndingSignals.size() + kFailingSignals.size()> saved_{};
  std::size_t count_ = 0;
};

// The temporary file beside the target. Its path is `temporaryPath`; it is removed when the
// object goes without the write having been committed by the rename.
class TemporaryFile {
 public:
  // Creates ".NAME.XXXXXX" in `folder` with `mode` (subject to the umask). On failure
  // Descriptor() is negative and errno tells why.
  TemporaryFile(const fs::path& folder, const std::string& name, mode_t mode) {
    const std::string pattern = (folder / ("." + ShortenedName(folder, name) + ".XXXXXX")).string();
    if (pattern.size() >= sizeof temporaryPath) {
      errno = ENAMETOOLONG;
      return;
    }
    // No ending signal may come between the creation and the flag: the handler would
    // not know the file yet.
    sigset_t ending;
    sigset_t previous;
    sigemptyset(&ending);
    for (const int signal : kEndingSignals) sigaddset(&ending, signal);
    pthread_sigmask(SIG_BLOCK, &ending, &previous);
    std::memcpy(temporaryPath, pattern.c_str(), pattern.size() + 1);
    fd_ = CreateUnique(temporaryPath + pattern.size() - 6, mode);
    const int error = errno;
    if (fd_ >= 0) temporaryExists.store(true);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = error;
  }
  ~TemporaryFile() {
    if (fd_ >= 0) close(fd_);
    if (!temporaryExists.load()) return;
    if (!committed_) unlink(temporaryPath);
    temporaryExists.store(false);
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  int Descriptor() const { return fd_; }
  const char* Path() const { return temporaryPath; }

  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }
  void Commit() { committed_ = true; }

 private:
  // The name itself when ".NAME.XXXXXX" fits the folder's longest name, else its first
  // bytes, cut before a character rather than inside one.
  static std::string ShortenedName(const fs::path& folder, const std::string& name) {
    const long limit = pathconf(folder.c_str(), _PC_NAME_MAX);
    const std::size_t nameMax = limit > 0 ? static_cast<std::size_t>(limit) : NAME_MAX;
    const std::size_t room = nameMax - std::string_view(".").size() - std::string_view(".XXXXXX").size();
    if (name.size() <= room) return name;
    std::size_t cut = room;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    return name.substr(0, cut);
  }

  // Fills the six characters at `suffix` until an exclusive create succeeds, as mkstemp
  // does, but with the mode the file is to have, so that the umask is applied by the system.
  static int CreateUnique(char* suffix, mode_t mode) {
    static constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::minstd_rand random(static_cast<std::minstd_rand::result_type>(std::time(nullptr) ^ getpid()));
    std::uniform_int_distribution<std::size_t> pick(0, kLetters.size() - 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
      for (int i = 0; i < 6; ++i) suffix[i] = kLetters[pick(random)];
      const int fd = open(temporaryPath, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
      if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
  }

  int fd_ = -1;
  bool committed_ = false;
};

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// The descriptor of this process that a path names, the way the system's own names for
// descriptors do: /dev/stdin, /dev/stdout, /dev/stderr, /dev/fd/N and /proc/self/fd/N (also
// /proc/thread-self/fd/N and /proc/PID/fd/N with this process's PID).
std::optional<int> OwnDescriptor(const fs::path& path) {
  std::error_code error;
  const std::string name = fs::absolute(path, error).lexically_normal().string();
  if (error) return std::nullopt;
  if (name == "/dev/stdin") return 0;
  if (name == "/dev/stdout") return 1;
  if (name == "/dev/stderr") return 2;
  for (const std::string& folder :
       {std::string("/dev/fd/"), std::string("/proc/self/fd/"), std::string("/proc/thread-self/fd/"),
        "/proc/" + std::to_string(getpid()) + "/fd/"}) {
    if (name.size() <= folder.size() || name.compare(0, folder.size(), folder) != 0) continue;
    const std::string_view number = std::string_view(name).substr(folder.size());
    int fd = 0;
    const auto [end, problem] = std::from_chars(number.data(), number.data() + number.size(), fd);
    if (problem == std::errc() && end == number.data() + number.size() && fd >= 0) return fd;
  }
  return std::nullopt;
}

// The kernel's rule for symbolic links in shared folders (protected_symlinks): in a folder
// that everyone may write and that is sticky, a link is followed only when it belongs to the
// user or to the folder's owner, so that nobody can plant a link there that makes another
// user's write land on a file of the planter's choice.
void CheckLinkMayBeFollowed(const std::string& path, const fs::path& link, const struct stat& linkStatus) {
  const fs::path folder = link.has_parent_path() ? link.parent_path() : fs::path(".");
  struct stat folderStatus {};
  if (stat(folder.c_str(), &folderStatus) != 0) Refuse(path, errno);
  const bool shared = (folderStatus.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH);
  if (shared && linkStatus.st_uid != geteuid() && linkStatus.st_uid != folderStatus.st_uid) {
    throw FileError(path, texts::CannotCreateFile(
                              path, "the symbolic link " + link.string() +
                                        " lies in a folder that everyone may write (sticky) and belongs neither to "
                                        "you nor to the folder's owner, so it is not followed"));
  }
}

// Where a write goes: the file it replaces (the target of a symbolic link, the path itself
// otherwise), or a descriptor of this process that the path or a link names.
struct Target {
  fs::path Path;
  std::optional<int> Descriptor;
};

Target ResolveTarget(const std::string& path) {
  fs::path target = path;
  for (int hops = 0; hops < 40; ++hops) {
    if (const std::optional<int> fd = OwnDescriptor(target)) return {target, fd};
    struct stat status {};
    if (lstat(target.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) break;
    CheckLinkMayBeFollowed(path, target, status);
    std::error_code error;
    const fs::path link = fs::read_symlink(target, error);
    if (error) break;
    target = link.is_absolute() ? link : target.parent_path() / link;
  }
  return {target, std::nullopt};
}

// A FIFO or a device is written as it is: replacing it would break whatever reads it.
void WriteDirectly(const std::string& path, const fs::path& target, const std::string& bytes) {
  const SignalGuard signals(false);
  const int fd = open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) Refuse(path, errno);
  const bool written = WriteAll(fd, bytes);
  const int error = errno;
  if (close(fd) != 0 && written) Refuse(path, errno);
  if (!written) Refuse(path, error);
}

// An open descriptor is written where it stands (appending when it was opened so, into a
// pipe or a socket) and stays open; the file behind it is never replaced.
void WriteToDescriptor(const std::string& path, int fd, const std::string& bytes) {
  const SignalGuard signals(false);
  if (fcntl(fd, F_GETFL) < 0 || !WriteAll(fd, bytes)) Refuse(path, errno);
}

}  // namespace

void WriteFileAtomically(const std::string& path, const std::string& bytes) {
  const std::lock_guard<std::mutex> lock(writeMutex);
  if (path.empty()) Refuse(path, ENOENT);
  const auto [target, descriptor] = ResolveTarget(path);
  if (descriptor) return WriteToDescriptor(path, *descriptor, bytes);

  struct stat existing {};
  const bool exists = stat(target.c_str(), &existing) == 0;
  if (!exists && errno != ENOENT) Refuse(path, errno);
  if (exists) {
    if (S_ISDIR(existing.st_mode)) Refuse(path, EISDIR);
    // The rename would replace a file the user may not write; permissions do not bind the
    // superuser, so for it a mode without any write bit is the refusal.
    if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) Refuse(path, errno);
    if (geteuid() == 0 && (existing.st_mode & 0222) == 0) Refuse(path, EACCES);
    if (!S_ISREG(existing.st_mode)) return WriteDirectly(path, target, bytes);
  }

  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  const SignalGuard signals(true);
  TemporaryFile temporary(folder, target.filename().string(), exists ? 0600 : 0666);
  const int fd = temporary.Descriptor();
  if (fd < 0) Refuse(path, errno);
  if (exists) {
    // Owner first: changing it clears set-user-ID bits that the mode then restores. Where
    // the owner cannot be kept, the group may still be (a group the user belongs to).
    if (fchown(fd, existing.st_uid, existing.st_gid) != 0) (void)!fchown(fd, static_cast<uid_t>(-1), existing.st_gid);
    if (fchmod(fd, existing.st_mode & 07777) != 0) Refuse(path, errno);
  }
  if (!WriteAll(fd, bytes)) Refuse(path, errno);
  if (fsync(fd) != 0) Refuse(path, errno);
  if (!temporary.Close()) Refuse(path, errno);
  if (rename(temporary.Path(), target.c_str()) != 0) Refuse(path, errno);
  temporary.Commit();

  // Make the rename itself durable; a failure here no longer endangers either version.
  const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
}

}  // namespace zamo
