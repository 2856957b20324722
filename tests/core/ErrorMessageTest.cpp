// Every refusal as the user of zamo-cli reads it: the exact message, which names the file,
// the line and the column where there are ones, and the system's reason for system errors;
// bytes from a file are shown escaped. Status 1 for errors, 2 for wrong usage.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "cli/CommandLine.h"
#include "cli/DescriptorOutput.h"
#include "document/DataTable.h"
#include "document/ExampleProject.h"
#include "document/InputLimits.h"
#include "document/TextLines.h"
#include "model/Conversions.h"
#include "model/DateTime.h"
#include "model/EscapedText.h"
#include "tests/core/ChildProcess.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

namespace fs = std::filesystem;

// "@/" in arguments and messages stands for the test's folder.
std::string InFolder(const std::string& text, const fs::path& folder) {
  std::string result = text;
  for (std::size_t at = result.find("@/"); at != std::string::npos; at = result.find("@/", at)) {
    result.replace(at, 2, folder.string() + "/");
  }
  return result;
}

TextLines ExampleWith(const std::map<std::size_t, std::string>& changes) {
  return WithLines(ExampleProjectText(), changes);
}

std::string DataFile(const std::string& name) {
  std::ifstream in(std::string(ZAMO_TEST_DATA_DIR) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// An example data file with lines (0-based) replaced.
std::string DataWith(const std::string& name, const std::map<std::size_t, std::string>& changes) {
  return JoinLinesCrLf(WithLines(SplitLines(DataFile(name)), changes));
}

std::string LeftDataWith(const std::map<std::size_t, std::string>& changes) {
  return DataWith("left-tmcp-210.dat", changes);
}

// The right example data with a negative k8.
std::string NegativeK8RightData() { return DataWith("right-ipcp-210.dat", {{2, "1.0E-04  -1.0E-04"}}); }

// Zoom line of 42 numbers "1", two blanks apart: the 42nd starts in column 1 + 41 x 3.
std::string FortyTwoNumbers() {
  std::string line = "1";
  for (int i = 1; i < 42; ++i) line += "  1";
  return line;
}

struct Refusal {
  const char* name;
  std::map<std::string, std::string> files;  // name in the folder -> content
  std::vector<std::string> args;
  int status;
  std::string message;  // the whole standard error
  // A file of one byte more than a file may hold, made sparse when the test runs rather
  // than held in the table.
  const char* oversizedFile = nullptr;
};

void PrintTo(const Refusal& row, std::ostream* out) { *out << row.name; }

class ErrorMessageTest : public testing::TestWithParam<Refusal> {
 protected:
  void SetUp() override { dir_ = test::MakeTestFolder("messages"); }
  void TearDown() override { test::RemoveTestFolder(dir_); }
  fs::path dir_;
};

const std::string kExample = JoinLinesCrLf(ExampleProjectText());

TEST_P(ErrorMessageTest, NamesFileLineColumnAndReason) {
  const Refusal& row = GetParam();
  for (const auto& [name, content] : row.files) {
    if (name.back() == '/') {
      fs::create_directory(dir_ / name);
    } else {
      std::ofstream(dir_ / name, std::ios::binary) << content;
    }
  }
  if (row.oversizedFile != nullptr) {
    std::ofstream(dir_ / row.oversizedFile, std::ios::binary) << kExample;
    fs::resize_file(dir_ / row.oversizedFile, kMaxInputFileBytes + 1);
  }
  std::vector<std::string> args;
  for (const std::string& arg : row.args) args.push_back(InFolder(arg, dir_));
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(cli::Run(args, out, err), row.status);
  EXPECT_EQ(err.str(), InFolder(row.message, dir_));
  if (row.status != 0) {
    EXPECT_EQ(out.str(), "");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, ErrorMessageTest,
    testing::Values(
        // ---- reading a file ----
        Refusal{"MissingProject",
                {},
                {"deviation", "@/missing.zam"},
                1,
                "zamo-cli: Datei @/missing.zam kann nicht geöffnet werden: No such file or directory\n"},
        Refusal{"ProjectIsAFolder",
                {{"sub/", ""}},
                {"report", "@/sub"},
                1,
                "zamo-cli: Datei @/sub kann nicht geöffnet werden: Is a directory\n"},
        Refusal{"ProjectAboveTheSizeLimit",
                {},
                {"deviation", "@/big.zam"},
                1,
                "zamo-cli: Datei @/big.zam kann nicht geöffnet werden: larger than the limit of 16 MiB\n",
                "big.zam"},
        Refusal{"LineAboveTheLengthLimit",
                {{"long.zam", JoinLinesCrLf(ExampleWith({{2, std::string(kMaxLineBytes + 1, 'a')}}))}},
                {"deviation", "@/long.zam"},
                1,
                "zamo-cli: @/long.zam:3: the line is longer than the limit of 64 KiB (65536 bytes)\n"},
        Refusal{"FortyTwoNumbersOnALine",
                {{"zoom.zam", JoinLinesCrLf(ExampleWith({{16, FortyTwoNumbers()}}))}},
                {"deviation", "@/zoom.zam"},
                1,
                "zamo-cli: @/zoom.zam:17:124: a line holds at most 41 numbers, this one 42\n"},
        Refusal{"PercentageAboveTheLimit",
                {{"p.zam", JoinLinesCrLf(ExampleWith({{37, "30.0  91.09  1e4000  1.68  0.00  0.00  3.93  0.10"}}))}},
                {"deviation", "@/p.zam"},
                1,
                "zamo-cli: @/p.zam:38:14: expected a percentage from -1000 to 1000 for species B, found 1e4000\n"},
        Refusal{"PercentageBelowTheLimit",
                {{"p.zam", JoinLinesCrLf(ExampleWith({{49, "20.0  -1000.01  85.87  1.94"}}))}},
                {"report", "@/p.zam"},
                1,
                "zamo-cli: @/p.zam:50:7: expected a percentage from -1000 to 1000 for species A, found -1000.01\n"},
        // Rate constants are 0 or more and within the range of a double.
        Refusal{"RateConstantBelowZero",
                {{"k.zam", JoinLinesCrLf(ExampleWith({{22, "1.0E-04  -1.0E-04"}}))}},
                {"deviation", "@/k.zam"},
                1,
                "zamo-cli: @/k.zam:23:10: expected k8 from 0 to 1.7976931348623157E+308, found -1.0E-04\n"},
        Refusal{"RateConstantBeyondTheDoubleRange",
                {{"k.zam", JoinLinesCrLf(ExampleWith({{30, "1e+400  2.659E-04"}}))}},
                {"deviation", "@/k.zam"},
                1,
                "zamo-cli: @/k.zam:31:1: expected k15 from 0 to 1.7976931348623157E+308, found 1e+400\n"},
        Refusal{"NumberBeyondTheExtendedRange",
                {{"p.zam", JoinLinesCrLf(ExampleWith({{37, "30.0  91.09  1e5000"}}))}},
                {"deviation", "@/p.zam"},
                1,
                "zamo-cli: @/p.zam:38:14: '1e5000' ist kein gültiger Gleitkommawert\n"},
        Refusal{"ControlCharactersFromTheFileAreEscaped",
                {{"esc.zam", JoinLinesCrLf(ExampleWith({{9, "\x1b[2J\x1b]0;owned\a210.1"}}))}},
                {"deviation", "@/esc.zam"},
                1,
                "zamo-cli: @/esc.zam:10: '\\x1b[2J\\x1b]0;owned\\x07210.1' ist kein gültiger Gleitkommawert\n"},
        Refusal{"ControlCharactersOfAFileNameAreEscaped",
                {},
                {"deviation", "@/\x1b[31mred.zam"},
                1,
                "zamo-cli: Datei @/\\x1b[31mred.zam kann nicht geöffnet werden: No such file or directory\n"},
        // ---- importing data files ----
        Refusal{"ImportTemperatureWithAComma",
                {{"l.dat", LeftDataWith({{0, "210,1"}})}},
                {"import", "--left", "@/l.dat"},
                1,
                "zamo-cli: @/l.dat:1: '210,1' ist kein gültiger Gleitkommawert\n"},
        Refusal{"ImportTemperatureAfterAnEmptyLine",
                {{"l.dat", "\r\n" + LeftDataWith({{0, "210,1"}})}},
                {"import", "--left", "@/l.dat"},
                1,
                "zamo-cli: @/l.dat:2: '210,1' ist kein gültiger Gleitkommawert\n"},
        Refusal{"ImportOfEmptyLinesOnly",
                {{"l.dat", "\r\n\r\n"}},
                {"import", "--left", "@/l.dat"},
                1,
                "zamo-cli: @/l.dat:2: the text ends before the temperature\n"},
        Refusal{"ImportOfAnEmptyFile",
                {{"r.dat", ""}},
                {"import", "--right", "@/r.dat"},
                1,
                "zamo-cli: @/r.dat: the text ends before the temperature\n"},
        Refusal{"ImportPercentageAboveTheLimit",
                {{"l.dat", LeftDataWith({{11, "30.0  5000  0.18"}})}},
                {"import", "--left", "@/l.dat"},
                1,
                "zamo-cli: @/l.dat:12:7: expected a percentage from -1000 to 1000 for species A, found 5000\n"},
        // The remainder of a row is written as the next species' percentage.
        Refusal{"ImportRemainderAboveTheLimit",
                {{"l.dat", LeftDataWith({{11, "30.0  -1000  -1000"}})}},
                {"import", "--left", "@/l.dat"},
                1,
                "zamo-cli: @/l.dat:12: the remainder to 100 % for species C would be 2100, outside -1000 to 1000\n"},
        Refusal{"ImportNegativeRateConstant",
                {{"l.dat", DataFile("left-tmcp-210.dat")}, {"r.dat", NegativeK8RightData()}},
                {"import", "--left", "@/l.dat", "--right", "@/r.dat"},
                1,
                "zamo-cli: @/r.dat:3:10: expected k8 from 0 to 1.7976931348623157E+308, found -1.0E-04\n"},
        // ---- writing ----
        Refusal{"SaveIntoAMissingFolder",
                {},
                {"save", "-o", "@/missing/x.zam"},
                1,
                "zamo-cli: Datei @/missing/x.zam kann nicht erstellt werden: No such file or directory\n"},
        Refusal{"SaveOntoAFolder",
                {{"sub/", ""}},
                {"save", "-o", "@/sub"},
                1,
                "zamo-cli: Datei @/sub kann nicht erstellt werden: Is a directory\n"},
        Refusal{"SaveWithANameLongerThanNameMax",
                {},
                {"save", "-o", "@/" + std::string(256, 'n')},
                1,
                "zamo-cli: Datei @/" + std::string(256, 'n') + " kann nicht erstellt werden: File name too long\n"},
        Refusal{"GraphWithoutTheWindowsLibrary",
                {},
                {"graph", "-o", "@/g.bmp"},
                1,
                "zamo-cli: Datei @/g.bmp kann nicht erstellt werden: this zamo-cli was built without the windows "
                "library and draws no pictures\n"},
        Refusal{"PlotWithoutTheWindowsLibrary",
                {},
                {"plot", "-o", "@/p.svg"},
                1,
                "zamo-cli: Datei @/p.svg kann nicht erstellt werden: this zamo-cli was built without the windows "
                "library and draws no pictures\n"},
        Refusal{"PlotToAnUnknownExtension",
                {},
                {"plot", "-o", "@/p.jpg"},
                1,
                "zamo-cli: Datei @/p.jpg kann nicht erstellt werden: the name must end in .png, .svg or .pdf\n"},
        Refusal{"PlotWithAnUnknownTimeUnit",
                {},
                {"plot", "--time-unit", "d", "-o", "@/p.png"},
                2,
                "zamo-cli: --time-unit takes s, min or h\n\n" + cli::UsageText()},
        Refusal{"PlotTooNarrow",
                {},
                {"plot", "--width", "99", "-o", "@/p.png"},
                2,
                "zamo-cli: --width takes a whole number from 100 to 8000\n\n" + cli::UsageText()},
        Refusal{"PlotOfAThirdExperiment",
                {},
                {"plot", "--experiment", "middle", "-o", "@/p.png"},
                2,
                "zamo-cli: --experiment takes left, right or both\n\n" + cli::UsageText()},
        Refusal{"BothExperimentsOnlyForPlot",
                {},
                {"report", "--experiment", "both"},
                2,
                "zamo-cli: --experiment takes left or right\n\n" + cli::UsageText()},
        Refusal{"PlotWithoutOutput",
                {},
                {"plot", "--residuals"},
                2,
                "zamo-cli: plot needs -o OUT.png, OUT.svg or OUT.pdf\n\n" + cli::UsageText()},
        // ---- usage ----
        Refusal{"UsageErrorEscapesTheArgument",
                {},
                {"\x1b[2Jcalc"},
                2,
                "zamo-cli: unknown command '\\x1b[2Jcalc'\n\n" + cli::UsageText()}),
    [](const testing::TestParamInfo<Refusal>& row) { return row.param.name; });

// A percentage at the limit is a percentage.
TEST(ErrorMessageLimits, PercentagesAtTheLimitAreRead) {
  const fs::path dir = test::MakeTestFolder("limits");
  std::ofstream(dir / "p.zam", std::ios::binary)
      << JoinLinesCrLf(ExampleWith({{37, "30.0  1000  -1000  1.68"}, {16, FortyTwoNumbers().substr(3)}}));
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(cli::Run({"deviation", (dir / "p.zam").string()}, out, err), 0) << err.str();
  test::RemoveTestFolder(dir);
}

// Standard output that cannot take the result: the reason where the system gave one.
TEST(ErrorMessageOutput, OutputThatCannotBeWrittenIsAnError) {
  const int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
  if (full < 0) GTEST_SKIP() << "no /dev/full";
  cli::DescriptorOutput buffer(full);
  std::ostream out(&buffer);
  cli::Environment env;
  env.OutputError = [&buffer] { return buffer.Error(); };
  std::ostringstream err;
  EXPECT_EQ(cli::Run({"report"}, out, err, env), 1);
  EXPECT_EQ(err.str(), "zamo-cli: standard output: cannot be written: No space left on device\n");
  close(full);
}

// A stream that fails without a reason.
class FailingBuffer : public std::streambuf {
 protected:
  int_type overflow(int_type) override { return traits_type::eof(); }
};

TEST(ErrorMessageOutput, OutputFailingWithoutAReason) {
  FailingBuffer buffer;
  std::ostream out(&buffer);
  std::ostringstream err;
  EXPECT_EQ(cli::Run({"deviation"}, out, err), 1);
  EXPECT_EQ(err.str(), "zamo-cli: standard output: cannot be written\n");
}

// ---- Escaping ----

struct Escape {
  const char* name;
  std::string text;
  std::string shown;
};

void PrintTo(const Escape& row, std::ostream* out) { *out << row.name; }

class EscapeControlCharactersTest : public testing::TestWithParam<Escape> {};

TEST_P(EscapeControlCharactersTest, ShowsOnlyPrintableUtf8) {
  EXPECT_EQ(EscapeControlCharacters(GetParam().text), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Texts, EscapeControlCharactersTest,
                         testing::Values(Escape{"PlainAscii", "'210,1' ist kein", "'210,1' ist kein"},
                                         Escape{"GermanUtf8", "Gleitkommaüberlauf", "Gleitkommaüberlauf"},
                                         Escape{"FourByteUtf8", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
                                         Escape{"Escape", "\x1b[31m", "\\x1b[31m"},
                                         Escape{"TabAndNewline", "a\tb\n", "a\\x09b\\x0a"},
                                         Escape{"NulAndDel", std::string("a\0b\x7f", 4), "a\\x00b\\x7f"},
                                         Escape{"C1ControlInUtf8",
                                                "\xC2\x9B"
                                                "2J",
                                                "\\xc2\\x9b2J"},
                                         Escape{"Latin1Byte", "M\xE4rz", "M\\xe4rz"},
                                         Escape{"LoneC1Byte",
                                                "\x9B"
                                                "2J",
                                                "\\x9b2J"},
                                         Escape{"OverlongSlash", "\xC0\xAF", "\\xc0\\xaf"},
                                         Escape{"Surrogate", "\xED\xA0\x80", "\\xed\\xa0\\x80"},
                                         Escape{"BeyondUnicode", "\xF4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},
                                         Escape{"CutSequenceAtTheEnd", "ab\xE2\x82", "ab\\xe2\\x82"},
                                         Escape{"NoBreakSpaceIsPrintable", "\xC2\xA0", "\xC2\xA0"}),
                         [](const testing::TestParamInfo<Escape>& row) { return row.param.name; });

TEST(ExcerptTest, QuotesAtMostTwoHundredBytesCutBeforeACharacter) {
  EXPECT_EQ(Excerpt(""), "");
  EXPECT_EQ(Excerpt(std::string(200, 'a')), std::string(200, 'a'));
  EXPECT_EQ(Excerpt(std::string(201, 'a')), std::string(200, 'a') + "...");
  EXPECT_EQ(Excerpt(std::string(199, 'a') + "\xC3\xA4" + "b"), std::string(199, 'a') + "...");
  EXPECT_EQ(Excerpt(std::string(198, 'a') + "\xF0\x9F\x98\x80"), std::string(198, 'a') + "...");
}

// Every message that quotes a token or a line of the input quotes an excerpt of it.
TEST(ExcerptTest, MessagesQuoteAnExcerptOfALongToken) {
  const std::string token = std::string(15000, '7') + "x";
  const std::string digits = "1" + std::string(400, '0');  // 1e400: a number, but too large
  const auto messageOf = [](const std::function<void()>& statement) {
    try {
      statement();
    } catch (const std::exception& error) {
      return std::string(error.what());
    }
    return std::string("no error");
  };
  const auto cliError = [](const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    cli::Run(args, out, err);
    return err.str().substr(0, err.str().find('\n'));
  };
  // Each message with the token it quotes.
  const std::vector<std::pair<std::string, std::string>> messages = {
      {messageOf([&] { StrToFloat(token); }), token},
      {messageOf([&] { StrToInt(token); }), token},
      {messageOf([&] { StrToDateTime(token); }), token},
      {messageOf([&] {
         (void)ReadProjectText({}, ExampleTextWith({{37, "30.0  " + digits}}), "");
       }),
       digits},
      {messageOf([&] {
         (void)ReadProjectText({}, ExampleTextWith({{22, digits + "  0"}}), "");
       }),
       digits},
      {messageOf([&] { ReadDataTable(PastedLines("0,100,0,0,0,0,0,0\n" + token + ",0,0,0,0,0,0,0")); }), token},
      {messageOf([&] { ReadDataTable(PastedLines("0,100,0,0,0,0,0,0,0," + token)); }), token},
      {messageOf([&] { ReadDataTable(PastedLines(digits + ",100,0,0,0,0,0,0")); }), digits},
      {cliError({token}), token},
      {cliError({"calc", "60", token}), token},
      {cliError({"fit", "--free", token}), token},
      {cliError({"deviation", "--" + token}), "--" + token},
  };
  for (const auto& [message, quoted] : messages) {
    EXPECT_LE(message.size(), kMaxQuotedBytes + 120) << message.substr(0, 300);
    EXPECT_NE(message.find(quoted.substr(0, kMaxQuotedBytes) + "..."), std::string::npos) << message.substr(0, 300);
  }
}

}  // namespace
}  // namespace zamo
