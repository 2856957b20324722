#pragma once

#include <iosfwd>

#include "cli/CliApp.h"
#include "cli/CommandLine.h"
#include "model/KineticProject.h"

namespace zamo::cli {

// The project the command works on, in the state the main window would show it: the
// built-in example as at start-up, then the named project opened over it, then the
// requested experiment shown. Throws ZamoError naming the file and line.
void LoadProject(const CommandLine& line, KineticProject& project);

void RunCalc(const CommandLine& line, KineticProject& project, std::ostream& out);
void RunDeviation(KineticProject& project, std::ostream& out);
void RunReport(const KineticProject& project, std::ostream& out);
void RunSave(const CommandLine& line, KineticProject& project, std::ostream& out);
void RunOptimize(const CommandLine& line, KineticProject& project, std::ostream& out, std::ostream& err,
                 const Environment& env);
void RunGraph(const CommandLine& line, KineticProject& project, const Environment& env);
void RunImport(const CommandLine& line, KineticProject& project, std::ostream& out, std::ostream& err);

}  // namespace zamo::cli
