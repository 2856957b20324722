#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/KineticProject.h"

namespace zamo::cli {

// Wrong usage of the tool: exit status 2 with the usage text.
class UsageError : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct CommandLine {
  std::string Command;
  bool Help = false;
  std::optional<std::string> Project;  // the built-in example when absent
  std::vector<std::string> Times;      // calc: times in seconds, as typed
  std::vector<std::string> Files;      // series: a series file or project files
  // Options as given, by name ("--steps", "-o"); flags map to an empty value.
  std::map<std::string, std::string> Options;

  bool Has(const std::string& name) const { return Options.count(name) != 0; }
  std::optional<std::string> Value(const std::string& name) const;
  std::optional<Side> Experiment() const;  // --experiment left|right
};

// Parses the arguments after the program name. Throws UsageError.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The usage text printed by --help and after a usage error.
std::string UsageText();

}  // namespace zamo::cli
