#pragma once

#include <atomic>
#include <iosfwd>
#include <string>
#include <vector>

namespace zamo::cli {

// What the tool gets from its surroundings besides the arguments.
struct Environment {
  // Set when the user asks a running optimization to stop (Ctrl+C).
  const std::atomic<bool>* Stop = nullptr;
  // Draw a progress bar on the error stream (it is a terminal).
  bool ProgressBar = false;
};

// Runs zamo-cli with the arguments after the program name. Output goes to out, messages to
// err. Returns the exit status: 0 success, 1 error, 2 wrong usage.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const Environment& env = {});

}  // namespace zamo::cli
