#include "cli/CliApp.h"

#include <exception>
#include <new>
#include <ostream>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "model/EscapedText.h"
#include "model/PlatformTexts.h"
#include "model/ZamoError.h"

namespace zamo::cli {

namespace {

void RunCommand(const CommandLine& line, ProjectSession& session, std::ostream& out, std::ostream& err,
                const Environment& env) {
  LoadProject(line, session);
  if (line.Command == "calc") {
    RunCalc(line, session, out);
  } else if (line.Command == "deviation") {
    RunDeviation(session, out);
  } else if (line.Command == "report") {
    RunReport(session, out);
  } else if (line.Command == "table") {
    RunTable(line, session, out);
  } else if (line.Command == "save") {
    RunSave(line, session, out);
  } else if (line.Command == "optimize") {
    RunOptimize(line, session, out, err, env);
  } else if (line.Command == "import") {
    RunImport(line, session, out, err);
  } else if (line.Command == "fit") {
    RunFit(line, session, out, env);
  } else if (line.Command == "select") {
    RunSelect(line, session, out, err, env);
  } else if (line.Command == "graph") {
    RunGraph(line, session, env);
  } else if (line.Command == "plot") {
    RunPlot(line, session, env);
  }
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const Environment& env) {
  std::string subject;  // the file the command works on, once the arguments are understood
  const auto fail = [&](const std::string& text) {
    err << "zamo-cli: " << EscapeControlCharacters(subject.empty() ? text : subject + ": " + text) << '\n';
    return 1;
  };
  try {
    const CommandLine line = ParseCommandLine(args);
    if (line.Help) {
      out << UsageText();
      return 0;
    }
    subject = SubjectFile(line);
    if (line.Command == "series") {
      RunSeries(line, out, env);
    } else {
      ProjectSession session;
      RunCommand(line, session, out, err, env);
    }
    out.flush();
    if (!out) {
      subject = "standard output";
      const int error = env.OutputError ? env.OutputError() : 0;
      return fail(error != 0 ? "cannot be written: " + texts::SystemReason(error) : "cannot be written");
    }
    return 0;
  } catch (const UsageError& error) {
    err << "zamo-cli: " << EscapeControlCharacters(error.what()) << "\n\n" << UsageText();
    return 2;
  } catch (ZamoError& error) {
    error.SetFile(subject);
    err << "zamo-cli: " << error.Describe() << '\n';
    return 1;
  } catch (const std::bad_alloc&) {
    return fail("out of memory");
  } catch (const std::exception& error) {
    return fail(error.what());
  }
}

}  // namespace zamo::cli
