#pragma once

#include <string>
#include <vector>

#include "document/TextLines.h"
#include "model/TemperatureSeries.h"

namespace zamo {

// A series file (".zams") lists the projects of a temperature series, one path per line,
// relative to the folder of the series file (an absolute path stays as it is). Blanks around
// a path are dropped; empty lines and lines whose first non-blank character is "#" are
// comments. The projects themselves stay ordinary project files.
struct SeriesFileEntry {
  std::string Path;  // resolved against the series file's folder
  int Line = 0;      // 1-based line of the series file
};

// The entries of a series file's text; `seriesPath` is the file it came from.
std::vector<SeriesFileEntry> ParseSeriesText(const TextLines& lines, const std::string& seriesPath);

// Reads one project of a series. Its errors name the file (and the line where there is one).
SeriesProject ReadSeriesProject(const std::string& path);

// Reads the projects at the paths, checking each as it is read (CheckSeriesProject), so
// that the first refusal ends the reading, and then their number: a project that cannot be
// read is refused with its file named, and so is a single project given alone.
TemperatureSeries ReadSeriesProjects(const std::vector<std::string>& paths);

// Reads a series file and its projects, each checked as it is read. A project that cannot be
// opened is refused with the series file, the line that lists it and the project's own
// file ("s.zams:3: Datei DIR/p.zam kann nicht geöffnet werden: REASON"); one whose text the
// reader refuses, with its own file and line; a refusal of the series as a whole (too few
// temperatures, the same temperature twice) names the series file and, for a project, its
// line there.
TemperatureSeries ReadSeries(const std::string& seriesPath);

// The text of a series file at `seriesPath` that lists the projects at `projectPaths`, each
// relative to the series file's folder where it lies inside it (else absolute), with
// `comments` as "# " lines at the top. A path that starts with "#" or a blank is written
// after "./", so that it reads back as itself; one that ends with a blank or a control
// character, or that a line cannot hold (CheckLineValue), is refused with FormatError, and so
// is such a comment.
TextLines BuildSeriesText(const std::string& seriesPath, const std::vector<std::string>& projectPaths,
                          const std::vector<std::string>& comments);

}  // namespace zamo
