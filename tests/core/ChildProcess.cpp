#include "tests/core/ChildProcess.h"

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <exception>
#include <stdexcept>

namespace zamo::test {

namespace fs = std::filesystem;

static bool OthersCanReach(const fs::path& folder) {
  for (fs::path p = fs::absolute(folder);; p = p.parent_path()) {
    if ((fs::status(p).permissions() & fs::perms::others_exec) == fs::perms::none) return false;
    if (p == p.root_path()) return true;
  }
}

// A child reports through the pipe (a blocking write of a short text is whole) and leaves
// without running the test process's handlers and destructors.
[[noreturn]] static void Abandon(int fd, const std::string& report) {
  if (write(fd, report.data(), report.size()) < 0) _exit(1);
  _exit(0);
}

TestUser UnprivilegedUser() {
  if (geteuid() != 0) return {getuid(), getgid(), false};
  const passwd* nobody = getpwnam("nobody");
  return {nobody != nullptr ? nobody->pw_uid : 65534, nobody != nullptr ? nobody->pw_gid : 65534, true};
}

void GiveToTestUser(const fs::path& path) {
  const TestUser user = UnprivilegedUser();
  if (user.IsOtherUser && lchown(path.c_str(), user.Uid, user.Gid) != 0)
    throw std::runtime_error("lchown " + path.string());
}

fs::path MakeTestFolder(const std::string& name) {
  fs::path base = fs::temp_directory_path();
  if (UnprivilegedUser().IsOtherUser && !OthersCanReach(base)) base = "/tmp";
  std::string pattern = (base / ("zamo-" + name + "-XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a test folder in " + base.string());
  fs::path folder = pattern;
  fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
  GiveToTestUser(folder);
  return folder;
}

void RemoveTestFolder(const fs::path& folder) {
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(folder, error); !error && it != fs::end(it); it.increment(error)) {
    if (it->is_directory(error)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
  }
  fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, error);
  fs::remove_all(folder, error);
}

RunningChild StartChild(const fs::path& folder, bool unprivileged, const std::function<std::string()>& body) {
  int fds[2];
  if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    close(fds[0]);
    const TestUser user = UnprivilegedUser();
    if (unprivileged && user.IsOtherUser &&
        (setgroups(0, nullptr) != 0 || setgid(user.Gid) != 0 || setuid(user.Uid) != 0 || geteuid() == 0)) {
      Abandon(fds[1], "cannot drop privileges");
    }
    if (!folder.empty() && chdir(folder.c_str()) != 0) Abandon(fds[1], "cannot enter " + folder.string());
    std::string report;
    try {
      report = body();
    } catch (const std::exception& error) {
      report = std::string("uncaught: ") + error.what();
    }
    Abandon(fds[1], report);
  }
  close(fds[1]);
  return {pid, fds[0]};
}

ChildResult WaitForChild(const RunningChild& child) {
  ChildResult result;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(child.ReportFd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    result.Report.append(buffer, static_cast<std::size_t>(n));
  }
  close(child.ReportFd);
  int status = 0;
  while (waitpid(child.Pid, &status, 0) < 0 && errno == EINTR) continue;
  if (WIFSIGNALED(status)) result.Signal = WTERMSIG(status);
  return result;
}

ChildResult RunInChild(const fs::path& folder, bool unprivileged, const std::function<std::string()>& body) {
  return WaitForChild(StartChild(folder, unprivileged, body));
}

}  // namespace zamo::test
