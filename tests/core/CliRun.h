#pragma once

// zamo-cli run in-process on an argument vector, for the tests of its commands.

#include <sstream>
#include <string>
#include <vector>

#include "cli/CliApp.h"

namespace zamo::test {

struct CliResult {
  int Status = -1;
  std::string Out;
  std::string Err;
  // The first line of the error stream, the message without "zamo-cli: ".
  std::string Message() const { return Err.substr(10, Err.find('\n') - 10); }
};

inline CliResult RunCli(const std::vector<std::string>& args, const cli::Environment& env = {}) {
  std::ostringstream out;
  std::ostringstream err;
  CliResult result;
  result.Status = cli::Run(args, out, err, env);
  result.Out = out.str();
  result.Err = err.str();
  return result;
}

}  // namespace zamo::test
