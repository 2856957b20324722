#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>

// Child processes for tests that must not run in the test process itself: as an unprivileged
// user (permissions do not bind the superuser, and CI runs as root), under resource limits,
// or to be killed by a signal.
namespace zamo::test {

// The user whose permissions a test checks: "nobody" when the suite runs as the superuser,
// the current user otherwise.
struct TestUser {
  uid_t Uid = 0;
  gid_t Gid = 0;
  bool IsOtherUser = false;  // the suite runs as the superuser and children become nobody
};
TestUser UnprivilegedUser();

// Hands a path to the test user (a no-op unless the suite runs as the superuser).
void GiveToTestUser(const std::filesystem::path& path);

// A new empty folder that the test user owns and can reach (mode 0755), under the temporary
// folder, or under /tmp when the superuser's temporary folder is closed to others.
std::filesystem::path MakeTestFolder(const std::string& name);

// Removes a folder made by MakeTestFolder, whatever its permissions have become.
void RemoveTestFolder(const std::filesystem::path& folder);

// How a child ended and what it reported.
struct ChildResult {
  int ExitStatus = -1;  // when it exited; -1 when a signal ended it
  int Signal = 0;       // the signal that ended it, or 0
  std::string Report;   // what its body returned
};

// Runs `body` in a forked child, in `folder`, and returns what it returned; an exception
// escaping the body is reported as "uncaught: TEXT". With `unprivileged` the child first
// becomes the test user (groups, group and user dropped for good). The child ends with
// _exit, so nothing of the test process runs twice.
ChildResult RunInChild(const std::filesystem::path& folder, bool unprivileged,
                       const std::function<std::string()>& body);

// The same, without waiting: the parent may signal the child first. Finish with WaitForChild.
struct RunningChild {
  pid_t Pid = -1;
  int ReportFd = -1;
};
RunningChild StartChild(const std::filesystem::path& folder, bool unprivileged,
                        const std::function<std::string()>& body);
ChildResult WaitForChild(const RunningChild& child);

}  // namespace zamo::test
