#pragma once

#include <gtest/gtest.h>

#include <array>
#include <exception>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "document/ProjectSession.h"
#include "model/KineticProject.h"
#include "model/Limits.h"
#include "model/ZamoError.h"
#include "tests/core/ChildProcess.h"

namespace zamo::test {

// The error a statement throws; empty, and a failure is added, when it throws none or another type.
template <typename Error, typename Statement>
std::optional<Error> Caught(Statement&& statement) {
  try {
    statement();
  } catch (const Error& error) {
    return error;
  } catch (const std::exception& other) {
    ADD_FAILURE() << "threw another error: " << other.what();
    return std::nullopt;
  }
  ADD_FAILURE() << "threw nothing";
  return std::nullopt;
}

// What a statement threw: "format", "conversion", "float", "file" or "none", text, file, line.
struct Thrown {
  std::string Kind = "none";
  std::string Text;
  std::string File;
  int Line = 0;
  std::string Described;  // Describe(): "file:line: text"
};

template <typename Statement>
Thrown ThrownBy(Statement&& statement) {
  const auto of = [](const char* kind, const ZamoError& error) {
    return Thrown{kind, error.what(), error.File(), error.Line(), error.Describe()};
  };
  try {
    statement();
  } catch (const FormatError& error) {
    return of("format", error);
  } catch (const ConversionError& error) {
    return of("conversion", error);
  } catch (const FloatError& error) {
    return of("float", error);
  } catch (const FileError& error) {
    return of("file", error);
  }
  return {};
}

// The curve intervals of the main window at its smallest width, as zamo-cli computes.
inline constexpr int kTestIntervals = PlotIntervalsOfWindowWidth(kMainWindowMinimumWidth);
// A project text opened as the main window opens it (read, shown, computed); the built-in
// example as the program starts with it.
KineticProject Opened(const TextLines& lines, Side shown = Side::Left);
KineticProject Example(Side shown = Side::Left);
// The built-in example, or lines, with some replaced (index from 0).
TextLines ExampleTextWith(const std::vector<std::pair<int, std::string>>& replacements);
TextLines WithLines(const TextLines& lines, const std::map<std::size_t, std::string>& changes);
// Reads a project text into a project as an open takes it over, without recalculation.
std::optional<std::string> ReadInto(KineticProject& project, const TextLines& lines, const std::string& fileName);

// A file of tests/data, as lines or as its path; a file's bytes, and bytes written as a file.
TextLines DataFileLines(const std::string& name);
std::string DataFilePath(const std::string& name);
std::string FileBytes(const std::filesystem::path& path);
void PutFile(const std::filesystem::path& path, const std::string& bytes);

// A test in a new empty folder (`dir_`) of the unprivileged test user, removed afterwards.
class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = MakeTestFolder("test"); }
  void TearDown() override { RemoveTestFolder(dir_); }
  std::filesystem::path dir_;
};

// zamo-cli run in this process: its exit status and both outputs.
struct CliResult {
  int Status = -1;
  std::string Out;
  std::string Err;
  // The first line of the error stream without "zamo-cli: ".
  std::string Message() const { return Err.substr(10, Err.find('\n') - 10); }
};
CliResult RunCli(const std::vector<std::string>& args, const cli::Environment& env = {});
// Rate constants k1..k7 (out of A), k8..k14 (out of B), then k15 and k16.
RateConstants Rates(const std::array<Real, 7>& fromA, const std::array<Real, 7>& fromB, Real k15, Real k16);
// The rate constants of the built-in example.
RateConstants ExampleRates();
RateConstants WithMu(RateConstants k, Real mu);  // k15 = k16 = mu / 2
struct RateSet {                                 // a named set of rate constants, for tables
  std::string Name;
  RateConstants K;
};
inline void PrintTo(const RateSet& set, std::ostream* out) { *out << set.Name; }

// Names each instance of a table after its row's `name`.
struct CaseName {
  template <typename Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
    return info.param.name;
  }
};

// |actual - expected| <= tolerance * |expected|; by default below a double's precision.
::testing::AssertionResult NearRelative(Real actual, Real expected, Real tolerance = 1e-17L);

}  // namespace zamo::test

namespace zamo {
using namespace zamo::test;  // NOLINT: the tests live in namespace zamo
}  // namespace zamo

// The statement throws Type, and the error's text (what()) is exactly `text`; or its
// Describe(), with file, line and column.
#define EXPECT_THROW_MSG(statement, Type, text)                                              \
  do {                                                                                       \
    if (const auto caught_ = ::zamo::test::Caught<Type>([&] { statement; })) {               \
      EXPECT_EQ(std::string(caught_->what()), std::string(text)) << "thrown by " #statement; \
    }                                                                                        \
  } while (false)

#define EXPECT_THROW_DESCRIBED(statement, Type, text)                               \
  do {                                                                              \
    if (const auto caught_ = ::zamo::test::Caught<Type>([&] { statement; })) {      \
      EXPECT_EQ(caught_->Describe(), std::string(text)) << "thrown by " #statement; \
    }                                                                               \
  } while (false)
