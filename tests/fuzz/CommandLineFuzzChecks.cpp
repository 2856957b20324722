#include "tests/fuzz/CommandLineFuzzChecks.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "cli/CommandLine.h"
#include "document/ExampleProject.h"
#include "model/EscapedText.h"

namespace zamo::fuzz {

namespace {

[[noreturn]] void Broken(const char* rule, const std::vector<std::string>& args, const std::string& err) {
  std::fprintf(stderr, "fuzz check failed: %s\nargs:", rule);
  for (const std::string& arg : args) std::fprintf(stderr, " [%s]", EscapeControlCharacters(arg).c_str());
  std::fprintf(stderr, "\nerr: %s\n", EscapeControlCharacters(err).c_str());
  std::abort();
}

void WriteFile(const char* name, std::string_view bytes) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The example's data file of one side: temperature, seven rate-constant pairs, k15 and
// k16, the row count and the rows, taken from the example project's lines.
std::string ExampleDataFile(bool left) {
  const TextLines& project = ExampleProjectText();
  TextLines lines = {project[9]};
  for (int i = 22; i <= 28; ++i) lines.push_back(project[static_cast<std::size_t>(i)]);
  lines.push_back(project[30]);
  lines.emplace_back("7");
  const int first = left ? 36 : 48;
  for (int i = first; i <= first + 6; ++i) lines.push_back(project[static_cast<std::size_t>(i)]);
  return JoinLinesCrLf(lines);
}

std::vector<std::string> DecodeArguments(std::string_view bytes) {
  std::vector<std::string> args;
  if (bytes.empty()) return args;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= bytes.size(); ++i) {
    if (i == bytes.size() || bytes[i] == '\0') {
      args.emplace_back(bytes.substr(start, i - start));
      start = i + 1;
    }
  }
  // Writing stays in the scratch folder: a plain name there, or "o.zam".
  for (std::size_t i = 0; i + 1 < args.size(); ++i) {
    if (args[i] != "-o") continue;
    std::string& value = args[i + 1];
    if (value.empty() || value.find('/') != std::string::npos || value == "." || value == "..") value = "o.zam";
  }
  return args;
}

// Whether the message names one of the files: "NAME: ...", "NAME:LINE...",
// "Datei NAME ..." or "out of memory while reading NAME".
bool NamesAFile(const std::string& message, const std::vector<std::string>& names) {
  for (const std::string& raw : names) {
    // An empty name is a name too: "Datei  kann nicht geöffnet werden" for the path "".
    const std::string name = EscapeControlCharacters(raw);
    if (message.rfind(name + ":", 0) == 0) return true;
    if (message.rfind("Datei " + name + " ", 0) == 0) return true;
    if (message == "out of memory while reading " + name) return true;
  }
  return false;
}

}  // namespace

void CheckCommandLine(std::string_view bytes) {
  // Written again for every input, as a command may have replaced them.
  static const std::string project = JoinLinesCrLf(ExampleProjectText());
  static const std::string left = ExampleDataFile(true);
  static const std::string right = ExampleDataFile(false);
  WriteFile("p.zam", project);
  WriteFile("l.dat", left);
  WriteFile("r.dat", right);
  const std::size_t split = bytes.find('\x01');
  const std::string_view file = split == std::string_view::npos ? std::string_view() : bytes.substr(split + 1);
  WriteFile("f.zam", file);
  WriteFile("f.dat", file);
  const std::vector<std::string> args = DecodeArguments(bytes.substr(0, split));

  static const std::atomic<bool> stopAtOnce{true};
  cli::Environment env;
  env.Stop = &stopAtOnce;
  std::ostringstream out;
  std::ostringstream err;
  const int status = cli::Run(args, out, err, env);
  const std::string errors = err.str();

  if (status != 0 && status != 1 && status != 2) Broken("the status is 0, 1 or 2", args, errors);
  if (status == 2) {
    const std::string usage = cli::UsageText();
    if (errors.size() < usage.size() || errors.compare(errors.size() - usage.size(), usage.size(), usage) != 0) {
      Broken("wrong usage ends with the usage text", args, errors);
    }
    return;
  }
  // Every line of the error stream: warnings of an import, then at most one error.
  std::vector<std::string> lines;
  std::istringstream in(errors);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  for (const std::string& line : lines) {
    if (EscapeControlCharacters(line) != line) Broken("no raw control character reaches the terminal", args, errors);
    if (line.rfind("zamo-cli: ", 0) != 0) Broken("every message starts with zamo-cli:", args, errors);
  }
  if (status == 0) return;
  if (lines.empty()) Broken("an error has a message", args, errors);
  // A file may be given as an argument of its own or inline, "--left=FILE".
  std::vector<std::string> names = args;
  for (const std::string& arg : args) {
    if (const std::size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      names.push_back(arg.substr(eq + 1));
    }
  }
  names.emplace_back(kExampleFileName);
  names.emplace_back("standard output");
  const std::string message = lines.back().substr(std::string("zamo-cli: ").size());
  if (!NamesAFile(message, names)) Broken("every error names its file", args, errors);
}

}  // namespace zamo::fuzz
