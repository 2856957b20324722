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

// An option's value as the command table checked and converted it.
struct OptionValue {
  std::string Text;            // as given
  int Number = 0;              // a whole number, or what the word given stands for
  Real Decimal = 0;            // a decimal number
  std::vector<int> Constants;  // the rate constants a list names, increasing, each once
};

struct CommandLine {
  std::string Command;
  bool Help = false;
  std::optional<std::string> Project;  // the built-in example when absent
  std::vector<std::string> Times;      // calc: times in seconds, as typed
  std::vector<std::string> Files;      // series: a series file or project files
  // The options given, by name ("--steps", "-o"); a flag has an empty value.
  std::map<std::string, OptionValue> Options;

  bool Has(const std::string& name) const { return Options.count(name) != 0; }
  // The value of an option that was given, in the form its kind converts it to.
  std::optional<std::string> Value(const std::string& name) const;
  std::optional<int> Number(const std::string& name) const;
  std::optional<Real> Decimal(const std::string& name) const;
  std::optional<std::vector<int>> Constants(const std::string& name) const;
  // The enumerator the word given stands for.
  template <typename Enum>
  std::optional<Enum> Choice(const std::string& name) const {
    const std::optional<int> number = Number(name);
    return number ? std::optional<Enum>(static_cast<Enum>(*number)) : std::nullopt;
  }
  std::optional<Side> Experiment() const;  // --experiment left|right; none for both
};

// Parses the arguments after the program name, checking and converting every option's value
// as the command table says. Throws UsageError.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The usage text printed by --help and after a usage error.
std::string UsageText();

}  // namespace zamo::cli
