#pragma once

#include <stdexcept>
#include <string>

namespace zamo {

// Base of every error the core raises. what() is the text the user sees, exactly; where
// the error belongs to a file or a line, they travel beside it and Describe() puts them
// in front ("project.zam:35: ...").
class ZamoError : public std::runtime_error {
 public:
  explicit ZamoError(const std::string& text) : std::runtime_error(text) {}

  // 1-based line of the text the error was found in; 0 when it belongs to no line.
  int Line() const { return line_; }
  const std::string& File() const { return file_; }

  // Set while the error travels up through the reader and the caller that knows the file.
  // A location set deeper down is kept.
  void SetLine(int line) {
    if (line_ == 0) line_ = line;
  }
  void SetFile(const std::string& file) {
    if (file_.empty()) file_ = file;
  }

  // "FILE:LINE: text", "FILE: text", "line LINE: text" or the text alone.
  std::string Describe() const;

 private:
  int line_ = 0;
  std::string file_;
};

// A text that is not a number, a whole number or a date and time.
class ConversionError : public ZamoError {
  using ZamoError::ZamoError;
};

// A computation that divides by zero, overflows or is invalid.
class FloatError : public ZamoError {
 public:
  enum class Kind { DivisionByZero, Overflow, InvalidOperation };
  explicit FloatError(Kind kind);
  Kind GetKind() const { return kind_; }

 private:
  Kind kind_;
};

// A text that does not follow the project or data-file grammar.
class FormatError : public ZamoError {
  using ZamoError::ZamoError;
};

// A file that cannot be opened, read or written.
class FileError : public ZamoError {
  using ZamoError::ZamoError;
};

}  // namespace zamo
