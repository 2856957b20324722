#include "cli/CliApp.h"

#include <exception>
#include <ostream>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "model/ZamoError.h"

namespace zamo::cli {

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const Environment& env) {
  try {
    const CommandLine line = ParseCommandLine(args);
    if (line.Help) {
      out << UsageText();
      return 0;
    }
    ProjectSession session;
    LoadProject(line, session);
    if (line.Command == "calc") {
      RunCalc(line, session, out);
    } else if (line.Command == "deviation") {
      RunDeviation(session, out);
    } else if (line.Command == "report") {
      RunReport(session, out);
    } else if (line.Command == "save") {
      RunSave(line, session, out);
    } else if (line.Command == "optimize") {
      RunOptimize(line, session, out, err, env);
    } else if (line.Command == "import") {
      RunImport(line, session, out, err);
    } else if (line.Command == "fit") {
      RunFit(line, session, out, env);
    } else if (line.Command == "graph") {
      RunGraph(line, session, env);
    }
    out.flush();
    if (!out) {
      err << "zamo-cli: cannot write the output\n";
      return 1;
    }
    return 0;
  } catch (const UsageError& error) {
    err << "zamo-cli: " << error.what() << "\n\n" << UsageText();
    return 2;
  } catch (const ZamoError& error) {
    err << "zamo-cli: " << error.Describe() << '\n';
    return 1;
  } catch (const std::exception& error) {
    err << "zamo-cli: " << error.what() << '\n';
    return 1;
  }
}

}  // namespace zamo::cli
