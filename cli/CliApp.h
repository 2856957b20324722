#pragma once

#include <atomic>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace zamo {
struct KineticProject;
}

namespace zamo::cli {

// Draws the enlarged plot of the project's current experiment at a zoom bar position as the
// bytes of a BMP file (the windows library provides it).
using GraphFunction = std::function<std::string(const KineticProject& project, int zoomBarPosition)>;

// What the tool gets from its surroundings besides the arguments.
struct Environment {
  // Set when the user asks a running optimization to stop (Ctrl+C).
  const std::atomic<bool>* Stop = nullptr;
  // Draw a progress bar on the error stream (it is a terminal).
  bool ProgressBar = false;
  // Pictures for "graph"; empty in a build without the windows.
  GraphFunction RenderGraph;
};

// Runs zamo-cli with the arguments after the program name. Output goes to out, messages to
// err. Returns the exit status: 0 success, 1 error, 2 wrong usage.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const Environment& env = {});

}  // namespace zamo::cli
