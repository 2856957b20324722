// Refusals as the user of zamo-cli reads them: the reader's or the writer's text behind
// "zamo-cli: ", control characters escaped, status 1 for errors and 2 for wrong usage.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "cli/CliApp.h"
#include "cli/CommandLine.h"
#include "cli/DescriptorOutput.h"
#include "document/DataTable.h"
#include "document/InputLimits.h"
#include "document/TextLines.h"
#include "model/Conversions.h"
#include "model/EscapedText.h"
#include "tests/core/TestSupport.h"

namespace zamo {
namespace {

TEST(CliRefusal, PassesTheTextOnWithItsStatus) {
  const std::string data = DataFilePath("data-row-not-a-number.dat");
  const std::string noFile = "kann nicht erstellt werden: ";
  const std::string pictures = "this zamo-cli was built without the windows library and draws no pictures";
  const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
      {{"deviation", "\x1b[31m"}, 1, "Datei \\x1b[31m kann nicht geöffnet werden: No such file or directory"},
      {{"import", "--right", data}, 1, data + ":12:13: '1.2.3' ist kein gültiger Gleitkommawert"},
      {{"save", "-o", "missing/x.zam"}, 1, "Datei missing/x.zam " + noFile + "No such file or directory"},
      {{"graph", "-o", "g.bmp"}, 1, "Datei g.bmp " + noFile + pictures},
      {{"plot", "-o", "p.jpg"}, 1, "Datei p.jpg " + noFile + "the name must end in .png, .svg or .pdf"},
      {{"plot", "--residuals"}, 2, "plot needs -o OUT.png, OUT.svg or OUT.pdf"},
      {{"\x1b[2Jcalc"}, 2, "unknown command '\\x1b[2Jcalc'"}};
  for (const auto& [args, status, message] : cases) {
    const CliResult r = RunCli(args);
    EXPECT_EQ(std::tuple(r.Status, r.Err, r.Out),
              std::tuple(status, "zamo-cli: " + message + (status == 2 ? "\n\n" + cli::UsageText() : "\n"), ""));
  }
}

// Standard output that cannot take the result, with the system's reason.
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
}

TEST(EscapeControlCharactersTest, ShowsOnlyPrintableUtf8) {
  const std::pair<std::string, std::string> cases[] = {
      {"Gleitkommaüberlauf \xF0\x9F\x98\x80\xC2\xA0", "Gleitkommaüberlauf \xF0\x9F\x98\x80\xC2\xA0"},
      {std::string("\x1b\t\0\x7f", 4), "\\x1b\\x09\\x00\\x7f"},
      {"\xC2\x9B|\x9B|\xE4|\xC0\xAF", "\\xc2\\x9b|\\x9b|\\xe4|\\xc0\\xaf"},  // C1 in UTF-8, lone, Latin-1, overlong
      {"\xED\xA0\x80|\xF4\x90\x80\x80|\xE2\x82",
       "\\xed\\xa0\\x80|\\xf4\\x90\\x80\\x80|\\xe2\\x82"},  // surrogate, beyond, cut
  };
  for (const auto& [text, shown] : cases) EXPECT_EQ(EscapeControlCharacters(text), shown) << shown;
}

// At most 200 bytes, cut before a character; every message that quotes a token or a line of
// the input quotes such an excerpt of it.
TEST(ExcerptTest, MessagesQuoteAnExcerptOfALongToken) {
  EXPECT_EQ(Excerpt(std::string(199, 'a') + "\xC3\xA4" + "b"), std::string(199, 'a') + "...");
  const std::string token = std::string(15000, '7') + "x";
  const auto text = [](auto statement) { return ThrownBy(statement).Text; };
  const std::pair<std::string, std::string> messages[] = {
      {text([&] { StrToInt(token); }), token},
      {text([&] { ReadDataTable(PastedLines("0,100,0,0,0,0,0,0,0," + token)); }), token},
      {RunCli({"deviation", "--" + token}).Message(), "--" + token},
  };
  for (const auto& [message, quoted] : messages) {
    EXPECT_LE(message.size(), kMaxQuotedBytes + 120) << message.substr(0, 300);
    EXPECT_NE(message.find(quoted.substr(0, kMaxQuotedBytes) + "..."), std::string::npos) << message.substr(0, 300);
  }
}

}  // namespace
}  // namespace zamo
