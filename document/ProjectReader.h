#pragma once

#include <optional>
#include <string>

#include "document/TextLines.h"
#include "model/KineticProject.h"

namespace zamo {

// What a read of a project text gives.
struct ProjectRead {
  ProjectData Data;
  // Whether the left experiment is to be shown, when the text holds an experiment.
  std::optional<bool> ShowLeft;
  // The new window caption ("Mavrin - Left Reactions: ..."), when an experiment was found.
  std::optional<std::string> Caption;
};

// Reads a project text: header by absolute line, body from line 22 with a line cursor (see
// ProjectReader.cpp for the grammar). The data start from `base`, whose fields the text does
// not hold stay (a missing experiment's LastRow, RateConstantsPerReaction); FileName becomes
// chosenFileName, and a single present experiment lends its times to the missing one.
// Throws ConversionError or FormatError carrying the 1-based line it was found in; nothing
// outside the returned value is touched, so a caller takes the read over only when it
// succeeded.
[[nodiscard]] ProjectRead ReadProjectText(const ProjectData& base, const TextLines& lines,
                                          const std::string& chosenFileName);

// A project file read whole as the open project would take it, without a window: the
// example's defaults as the base, the file's name as FileName. Errors name the file.
[[nodiscard]] ProjectRead ReadProjectFile(const std::string& path);

}  // namespace zamo
