#pragma once

#include <new>
#include <string>

#include "document/FileWriter.h"
#include "document/InputLimits.h"
#include "document/TextLines.h"
#include "model/ZamoError.h"

namespace zamo {

// The lines of a text file (split at CR LF, CR and LF). Refused with FileError "Datei %s
// kann nicht geöffnet werden: REASON" when the file cannot be read (the system's reason),
// is not a regular file ("not a regular file") or holds more than kMaxInputFileBytes
// ("larger than the limit of 16 MiB"), before anything of it is stored; a line longer than
// kMaxLineBytes is a FormatError naming the file and line. Running out of memory is the
// FileError "out of memory while reading PATH".
TextLines ReadTextFile(const std::string& path);

// Writes the lines with CR LF after each through WriteFileAtomically.
void WriteTextFileAtomically(const std::string& path, const TextLines& lines);

// Throws the FileError "out of memory while reading PATH".
[[noreturn]] void FailOutOfMemoryWhileReading(const std::string& path);

// Runs `step`, which reads what came from the file at `path`, so that its errors name the
// file and running out of memory is reported as "out of memory while reading PATH".
template <typename Step>
auto ReadingFile(const std::string& path, Step&& step) {
  try {
    return step();
  } catch (ZamoError& error) {
    error.SetFile(path);
    throw;
  } catch (const std::bad_alloc&) {
    FailOutOfMemoryWhileReading(path);
  }
}

}  // namespace zamo
