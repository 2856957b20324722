// Refusals as the user of zamo-cli reads them: the reader's or the writer's text behind
// "zamo-cli: ", control characters escaped, status 1 for errors and 2 for wrong usage. The
// texts themselves are tested with their readers and the writer.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "cli/CommandLine.h"
#include "cli/DescriptorOutput.h"
#include "document/DataTable.h"
#include "document/InputLimits.h"
#include "document/TextLines.h"
#include "model/Conversions.h"
#include "model/DateTime.h"
#include "model/EscapedText.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

struct Refusal {
  const char* name;
  std::string args;  // split at blanks; "@/" stands for the test's folder
  int status;
  std::string message;  // the first line of the standard error; usage follows for status 2
};

void PrintTo(const Refusal& row, std::ostream* out) { *out << row.name; }

class ErrorMessageTest : public TempFolderTest, public testing::WithParamInterface<Refusal> {
 protected:
  std::string InFolder(std::string text) const {
    for (std::size_t at = text.find("@/"); at != std::string::npos; at = text.find("@/", at)) {
      text.replace(at, 2, dir_.string() + "/");
    }
    return text;
  }
};

TEST_P(ErrorMessageTest, PassesTheTextOnWithItsStatus) {
  PutFile(dir_ / "esc.zam", JoinLinesCrLf(ExampleTextWith({{9, "\x1b[2J\x1b]0;owned\a210.1"}})));
  std::vector<std::string> args;
  std::istringstream words(InFolder(GetParam().args));
  for (std::string word; words >> word;) args.push_back(word);
  const CliResult r = RunCli(args);
  EXPECT_EQ(r.Status, GetParam().status);
  const std::string usage = GetParam().status == 2 ? "\n" + cli::UsageText() : "";
  EXPECT_EQ(r.Err, "zamo-cli: " + InFolder(GetParam().message) + "\n" + usage);
  EXPECT_EQ(r.Out, "");
}

const std::string kNoPictures =
    "kann nicht erstellt werden: this zamo-cli was built without the windows library and draws no pictures";

INSTANTIATE_TEST_SUITE_P(
    Refusals, ErrorMessageTest,
    testing::Values(
        Refusal{"ReadingFails", "deviation @/missing.zam", 1,
                "Datei @/missing.zam kann nicht geöffnet werden: No such file or directory"},
        Refusal{"ControlCharactersFromTheFileAreEscaped", "deviation @/esc.zam", 1,
                "@/esc.zam:10: '\\x1b[2J\\x1b]0;owned\\x07210.1' ist kein gültiger Gleitkommawert"},
        Refusal{"ControlCharactersOfAFileNameAreEscaped", "deviation @/\x1b[31mred.zam", 1,
                "Datei @/\\x1b[31mred.zam kann nicht geöffnet werden: No such file or directory"},
        Refusal{"WritingFails", "save -o @/missing/x.zam", 1,
                "Datei @/missing/x.zam kann nicht erstellt werden: No such file or directory"},
        Refusal{"GraphWithoutTheWindowsLibrary", "graph -o @/g.bmp", 1, "Datei @/g.bmp " + kNoPictures},
        Refusal{"PlotWithoutTheWindowsLibrary", "plot -o @/p.svg", 1, "Datei @/p.svg " + kNoPictures},
        Refusal{"PlotToAnUnknownExtension", "plot -o @/p.jpg", 1,
                "Datei @/p.jpg kann nicht erstellt werden: the name must end in .png, .svg or .pdf"},
        Refusal{"PlotWithAnUnknownTimeUnit", "plot --time-unit d -o @/p.png", 2, "--time-unit takes s, min or h"},
        Refusal{"PlotTooNarrow", "plot --width 99 -o @/p.png", 2, "--width takes a whole number from 100 to 8000"},
        Refusal{"PlotOfAThirdExperiment", "plot --experiment middle -o @/p.png", 2,
                "--experiment takes left, right or both"},
        Refusal{"BothExperimentsOnlyForPlot", "report --experiment both", 2, "--experiment takes left or right"},
        Refusal{"PlotWithoutOutput", "plot --residuals", 2, "plot needs -o OUT.png, OUT.svg or OUT.pdf"},
        Refusal{"UsageErrorEscapesTheArgument", "\x1b[2Jcalc", 2, "unknown command '\\x1b[2Jcalc'"}),
    CaseName());

// Standard output that cannot take the result: the reason where the system gave one.
TEST(ErrorMessageOutput, OutputThatCannotBeWrittenIsAnError) {
  const int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
  ASSERT_GE(full, 0);
  cli::DescriptorOutput buffer(full);
  std::ostream out(&buffer);
  cli::Environment env;
  env.OutputError = [&buffer] { return buffer.Error(); };
  std::ostringstream err;
  EXPECT_EQ(cli::Run({"report"}, out, err, env), 1);
  EXPECT_EQ(err.str(), "zamo-cli: standard output: cannot be written: No space left on device\n");
  close(full);

  struct FailingBuffer : std::streambuf {
    int_type overflow(int_type) override { return traits_type::eof(); }
  } failing;
  std::ostream failingOut(&failing);
  err.str("");
  EXPECT_EQ(cli::Run({"deviation"}, failingOut, err), 1);
  EXPECT_EQ(err.str(), "zamo-cli: standard output: cannot be written\n");
}

TEST(EscapeControlCharactersTest, ShowsOnlyPrintableUtf8) {
  const std::pair<std::string, std::string> cases[] = {
      {"'210,1' ist kein", "'210,1' ist kein"},
      {"Gleitkommaüberlauf", "Gleitkommaüberlauf"},
      {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},  // four bytes
      {"\xC2\xA0", "\xC2\xA0"},                  // no-break space
      {"\x1b[31m", "\\x1b[31m"},
      {"a\tb\n", "a\\x09b\\x0a"},
      {std::string("a\0b\x7f", 4), "a\\x00b\\x7f"},
      {"\xC2\x9B"
       "2J",
       "\\xc2\\x9b2J"},         // C1 control in UTF-8
      {"M\xE4rz", "M\\xe4rz"},  // Latin-1
      {"\x9B"
       "2J",
       "\\x9b2J"},                                   // lone C1 byte
      {"\xC0\xAF", "\\xc0\\xaf"},                    // overlong
      {"\xED\xA0\x80", "\\xed\\xa0\\x80"},           // surrogate
      {"\xF4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},  // beyond Unicode
      {"ab\xE2\x82", "ab\\xe2\\x82"},                // cut at the end
  };
  for (const auto& [text, shown] : cases) EXPECT_EQ(EscapeControlCharacters(text), shown) << shown;
}

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
  const auto text = [](auto statement) { return ThrownBy(statement).Text; };
  const auto cli = [](const std::vector<std::string>& args) {
    const std::string err = RunCli(args).Err;
    return err.substr(0, err.find('\n'));
  };
  const std::pair<std::string, std::string> messages[] = {
      {text([&] { StrToFloat(token); }), token},
      {text([&] { StrToInt(token); }), token},
      {text([&] { StrToDateTime(token); }), token},
      {text([&] {
         (void)ReadProjectText({}, ExampleTextWith({{37, "30.0  " + digits}}), "");
       }),
       digits},
      {text([&] {
         (void)ReadProjectText({}, ExampleTextWith({{22, digits + "  0"}}), "");
       }),
       digits},
      {text([&] { ReadDataTable(PastedLines("0,100,0,0,0,0,0,0\n" + token + ",0,0,0,0,0,0,0")); }), token},
      {text([&] { ReadDataTable(PastedLines("0,100,0,0,0,0,0,0,0," + token)); }), token},
      {text([&] { ReadDataTable(PastedLines(digits + ",100,0,0,0,0,0,0")); }), digits},
      {cli({token}), token},
      {cli({"calc", "60", token}), token},
      {cli({"fit", "--free", token}), token},
      {cli({"deviation", "--" + token}), "--" + token},
  };
  for (const auto& [message, quoted] : messages) {
    EXPECT_LE(message.size(), kMaxQuotedBytes + 120) << message.substr(0, 300);
    EXPECT_NE(message.find(quoted.substr(0, kMaxQuotedBytes) + "..."), std::string::npos) << message.substr(0, 300);
  }
}

}  // namespace
}  // namespace zamo
