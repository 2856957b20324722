#include "tests/fuzz/CommandLineFuzzChecks.h"

#include <algorithm>
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
  std::ofstream(name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The example's data file of one side, from the project's lines: temperature, seven
// rate-constant pairs, k15 and k16, the row count and the rows.
std::string ExampleDataFile(bool left) {
  const TextLines& project = ExampleProjectText();
  TextLines lines;
  for (const std::size_t i : {9, 22, 23, 24, 25, 26, 27, 28, 30}) lines.push_back(project[i]);
  lines.emplace_back("7");
  for (std::size_t i = left ? 36 : 48, last = i + 6; i <= last; ++i) lines.push_back(project[i]);
  return JoinLinesCrLf(lines);
}

std::vector<std::string> DecodeArguments(std::string_view bytes) {
  std::vector<std::string> args;
  for (std::size_t start = 0, end = 0; !bytes.empty() && end != std::string_view::npos; start = end + 1) {
    end = bytes.find('\0', start);
    args.emplace_back(bytes.substr(start, end - start));
  }
  // Writing stays in the scratch folder: a plain name there, or "o.zam".
  for (std::size_t i = 0; i + 1 < args.size(); ++i) {
    std::string& value = args[i + 1];
    if (args[i] == "-o" && (value.empty() || value.find('/') != value.npos || value == "." || value == "..")) {
      value = "o.zam";
    }
  }
  return args;
}

// Whether the message names one of the files (an empty name too): "NAME: ...",
// "NAME:LINE...", "Datei NAME ..." or "out of memory while reading NAME".
bool NamesAFile(const std::string& message, const std::vector<std::string>& names) {
  return std::any_of(names.begin(), names.end(), [&message](const std::string& raw) {
    const std::string name = EscapeControlCharacters(raw);
    return message.starts_with(name + ":") || message.starts_with("Datei " + name + " ") ||
           message == "out of memory while reading " + name;
  });
}

}  // namespace

void CheckCommandLine(std::string_view bytes) {
  // Written again for every input, as a command may have replaced them.
  static const std::string project = JoinLinesCrLf(ExampleProjectText());
  static const std::string left = ExampleDataFile(true);
  static const std::string right = ExampleDataFile(false);
  const std::size_t split = bytes.find('\x01');
  const std::string_view file = split == std::string_view::npos ? std::string_view() : bytes.substr(split + 1);
  WriteFile("p.zam", project);
  WriteFile("l.dat", left);
  WriteFile("r.dat", right);
  for (const char* name : {"f.zam", "f.dat"}) WriteFile(name, file);
  const std::vector<std::string> args = DecodeArguments(bytes.substr(0, split));
  static const std::atomic<bool> stopAtOnce{true};
  cli::Environment env;
  env.Stop = &stopAtOnce;
  std::ostringstream out;
  std::ostringstream err;
  const int status = cli::Run(args, out, err, env);
  const std::string errors = err.str();
  if (status != 0 && status != 1 && status != 2) Broken("the status is 0, 1 or 2", args, errors);
  if (status == 2 && !errors.ends_with(cli::UsageText())) Broken("wrong usage ends with the usage text", args, errors);
  if (status == 2) return;
  // Warnings of an import, then at most one error.
  std::istringstream in(errors);
  std::string last;
  for (std::string line; std::getline(in, line); last = line) {
    if (EscapeControlCharacters(line) != line) Broken("no raw control character reaches the terminal", args, errors);
    if (line.rfind("zamo-cli: ", 0) != 0) Broken("every message starts with zamo-cli:", args, errors);
  }
  if (status == 0) return;
  if (last.empty()) Broken("an error has a message", args, errors);
  // A file may be given as an argument of its own or inline, "--left=FILE".
  std::vector<std::string> names = args;
  for (const std::string& arg : args) {
    if (arg.rfind("--", 0) == 0 && arg.find('=') != std::string::npos) names.push_back(arg.substr(arg.find('=') + 1));
  }
  names.insert(names.end(), {kExampleFileName, "standard output"});
  const std::string message = last.substr(std::string("zamo-cli: ").size());
  if (!NamesAFile(message, names)) Broken("every error names its file", args, errors);
}

}  // namespace zamo::fuzz
