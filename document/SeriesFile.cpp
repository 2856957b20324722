#include "document/SeriesFile.h"

#include <filesystem>

#include "document/ProjectReader.h"
#include "document/TextFile.h"
#include "model/EscapedText.h"
#include "model/ZamoError.h"

namespace zamo {

namespace {

namespace fs = std::filesystem;

// Characters up to the blank are dropped at both ends, as in every line the readers parse.
bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsTrimmed(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsTrimmed(text.back())) text.remove_suffix(1);
  return text;
}

// Runs a step that belongs to a file, so that its errors name it.
template <typename Step>
auto InFile(const std::string& path, Step&& step) {
  try {
    return step();
  } catch (ZamoError& error) {
    error.SetFile(path);
    throw;
  }
}

}  // namespace

std::vector<SeriesFileEntry> ParseSeriesText(const TextLines& lines, const std::string& seriesPath) {
  const fs::path folder = fs::path(seriesPath).parent_path();
  std::vector<SeriesFileEntry> entries;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view text = Trimmed(lines[i]);
    if (text.empty() || text.front() == '#') continue;
    const fs::path path(text);
    entries.push_back({(path.is_absolute() ? path : folder / path).string(), static_cast<int>(i) + 1});
  }
  return entries;
}

SeriesProject ReadSeriesProject(const std::string& path) {
  const TextLines lines = ReadTextFile(path);
  return InFile(path, [&] { return SeriesProject{path, ReadProjectText(ProjectData{}, lines, path).Data}; });
}

TemperatureSeries ReadSeriesProjects(const std::vector<std::string>& paths) {
  TemperatureSeries series;
  try {
    // Each project is checked as it comes, so that a refusal costs no more reading.
    for (const std::string& path : paths) {
      series.push_back(ReadSeriesProject(path));
      CheckSeriesProject(series, series.size() - 1);
    }
    CheckSeriesTemperatures(series);
  } catch (SeriesError& error) {
    // Too few projects: the one given is named.
    if (!error.Project() && paths.size() == 1) error.SetFile(paths.front());
    throw;
  }
  return series;
}

TemperatureSeries ReadSeries(const std::string& seriesPath) {
  const std::vector<SeriesFileEntry> entries =
      InFile(seriesPath, [&] { return ParseSeriesText(ReadTextFile(seriesPath), seriesPath); });
  TemperatureSeries series;
  try {
    for (const SeriesFileEntry& entry : entries) {
      try {
        series.push_back(ReadSeriesProject(entry.Path));
      } catch (const FileError& error) {
        // A project that cannot be opened: the line that lists it, and its own file.
        SeriesError listed(error.what(), series.size());
        listed.SetLine(entry.Line);
        throw listed;
      }
      CheckSeriesProject(series, series.size() - 1);
    }
    CheckSeriesTemperatures(series);
  } catch (SeriesError& error) {
    // A refusal that names no project file belongs to the series file, at the line of the
    // project it concerns.
    if (error.File().empty() && error.Project()) error.SetLine(entries[*error.Project()].Line);
    error.SetFile(seriesPath);
    throw;
  }
  return series;
}

TextLines BuildSeriesText(const std::string& seriesPath, const std::vector<std::string>& projectPaths,
                          const std::vector<std::string>& comments) {
  const fs::path folder = fs::absolute(fs::path(seriesPath)).parent_path().lexically_normal();
  TextLines lines;
  for (const std::string& comment : comments) {
    CheckLineValue(comment, "the comment '" + Excerpt(comment) + "'");
    lines.push_back("# " + comment);
  }
  for (const std::string& project : projectPaths) {
    const fs::path absolute = fs::absolute(fs::path(project)).lexically_normal();
    const fs::path relative = absolute.lexically_relative(folder);
    const bool inside = !relative.empty() && *relative.begin() != "..";
    std::string line = (inside ? relative : absolute).generic_string();
    const std::string what = "the project path '" + Excerpt(line) + "'";
    // The reader drops what a line ends with up to the blank; a line starting with "#" or
    // such a character is kept by "./" in front.
    if (!line.empty() && IsTrimmed(line.back())) {
      throw FormatError(what + " cannot be written: it ends with a blank or a control character");
    }
    if (!line.empty() && (line.front() == '#' || IsTrimmed(line.front()))) line.insert(0, "./");
    CheckLineValue(line, what);
    lines.push_back(line);
  }
  return lines;
}

}  // namespace zamo
