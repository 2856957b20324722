#pragma once

#include <cstdint>
#include <string>

#include "document/TextLines.h"

namespace zamo {

// The lines of a text file (split at CR LF, CR and LF). Throws FileError with the
// platform's text "Datei %s kann nicht geöffnet werden" when the file cannot be read, and
// refuses anything that is not a regular file or is larger than any project could be.
TextLines ReadTextFile(const std::string& path);

// The largest file ReadTextFile takes.
inline constexpr std::uintmax_t kMaxTextFileBytes = 64u << 20;

// Writes the lines with CR LF after each, replacing the file atomically: the text goes to a
// temporary file in the same folder, is flushed to disk and then renamed over the target
// (through a symbolic link to the file it points at). If anything fails the old file is
// untouched and FileError says "Datei %s kann nicht erstellt werden". An existing file
// keeps its permissions.
void WriteTextFileAtomically(const std::string& path, const TextLines& lines);

// The same for any bytes (a picture).
void WriteFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace zamo
