#pragma once

#include <optional>
#include <string>

#include "document/TextLines.h"
#include "model/KineticProject.h"

namespace zamo {

// What a read decided beyond the project's fields.
struct ReadOutcome {
  // The new window caption ("Mavrin - Left Reactions: ..."), when an experiment was found.
  std::optional<std::string> Caption;
};

// Reads a project text into the project: header by absolute line, body from line 22 with
// a line cursor (see ProjectReader.cpp for the grammar). FileName becomes chosenFileName,
// Modified false, ShowLeft follows the experiments found, and a single present experiment
// lends its times to the missing one.
//
// All or nothing: the text is read into a copy and taken over only when the whole read
// succeeds. On failure the project is exactly as it was, and the error (ConversionError or
// FormatError) carries the 1-based line it was found in.
ReadOutcome ReadProjectText(KineticProject& project, const TextLines& lines, const std::string& chosenFileName);

}  // namespace zamo
