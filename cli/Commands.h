#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "cli/CommandLine.h"
#include "document/ProjectSession.h"

namespace zamo::cli {

// The file an error of the command concerns when it names none itself: the project, the
// example's file name without one, and for import the data file whose rate constants the
// project takes (the right one when both are given, as it is analysed last; --constants or
// the example's name when only tables are given).
std::string SubjectFile(const CommandLine& line);

// The project the command works on, in the state the main window would show it: the
// built-in example as at start-up, then the named project opened over it, then the
// requested experiment shown, computed for the plots of a window of the smallest width.
// Throws ZamoError naming the file and line.
void LoadProject(const CommandLine& line, ProjectSession& session);

void RunCalc(const CommandLine& line, const ProjectSession& session, std::ostream& out);
void RunDeviation(const ProjectSession& session, std::ostream& out);
void RunReport(const ProjectSession& session, std::ostream& out);
void RunTable(const CommandLine& line, const ProjectSession& session, std::ostream& out);
void RunSave(const CommandLine& line, ProjectSession& session, std::ostream& out);
void RunOptimize(const CommandLine& line, ProjectSession& session, std::ostream& out, std::ostream& err,
                 const Environment& env);
void RunGraph(const CommandLine& line, ProjectSession& session, const Environment& env);
void RunPlot(const CommandLine& line, ProjectSession& session, const Environment& env);
void RunImport(const CommandLine& line, ProjectSession& session, std::ostream& out, std::ostream& err);
void RunFit(const CommandLine& line, ProjectSession& session, std::ostream& out, const Environment& env);
void RunSelect(const CommandLine& line, ProjectSession& session, std::ostream& out, std::ostream& err,
               const Environment& env);
// A series works on the projects its files name, not on one open project.
void RunSeries(const CommandLine& line, std::ostream& out, const Environment& env);

// The constants --free (zero ones too) or --free-all set free, with k15 and k16 under
// --vary-k15-k16; none when neither is given.
std::optional<OneBased<bool, kRateConstantCount>> GivenFreeSet(const CommandLine& line);

}  // namespace zamo::cli
