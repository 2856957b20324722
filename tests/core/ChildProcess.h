#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>

// Child processes for tests that run as an unprivileged user (permissions do not bind the
// superuser, and CI runs as root), under resource limits or to be killed by a signal.
namespace zamo::test {

// The user whose permissions a test checks: "nobody" (IsOtherUser) under the superuser.
struct TestUser {
  uid_t Uid = 0;
  gid_t Gid = 0;
  bool IsOtherUser = false;
};
TestUser UnprivilegedUser();

// Hands a path to the test user (a no-op unless the suite runs as the superuser).
void GiveToTestUser(const std::filesystem::path& path);
// A new empty folder that the test user owns and can reach (mode 0755), under the temporary
// folder, or under /tmp when the superuser's temporary folder is closed to others; removed
// whatever its permissions have become.
std::filesystem::path MakeTestFolder(const std::string& name);
void RemoveTestFolder(const std::filesystem::path& folder);

struct ChildResult {
  int Signal = 0;      // the signal that ended the child, or 0
  std::string Report;  // what its body returned
};
// Runs `body` in a forked child, in `folder` (as the test user when `unprivileged`), and
// returns what it returned, or "uncaught: TEXT"; the child ends with _exit, so nothing of the
// test process runs twice.
ChildResult RunInChild(const std::filesystem::path& folder, bool unprivileged,
                       const std::function<std::string()>& body);

struct RunningChild {  // started without waiting, so that the parent may signal it first
  pid_t Pid = -1;
  int ReportFd = -1;
};
RunningChild StartChild(const std::filesystem::path& folder, bool unprivileged,
                        const std::function<std::string()>& body);
ChildResult WaitForChild(const RunningChild& child);

}  // namespace zamo::test
