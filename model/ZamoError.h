#pragma once

#include <stdexcept>
#include <string>

namespace zamo {

// Base of every error the core raises. what() is the text the user sees, exactly; where
// the error belongs to a file, a line or a column, they travel beside it and Describe()
// puts them in front ("project.zam:35:7: ...").
class ZamoError : public std::runtime_error {
 public:
  explicit ZamoError(const std::string& text) : std::runtime_error(text) {}

  // 1-based line of the text the error was found in; 0 when it belongs to no line.
  int Line() const { return line_; }
  // 1-based byte column in that line; 0 when the error concerns the whole line.
  int Column() const { return column_; }
  const std::string& File() const { return file_; }

  // Set while the error travels up through the reader and the caller that knows the file.
  // A location set deeper down is kept.
  void SetLine(int line) {
    if (line_ == 0) line_ = line;
  }
  void SetColumn(int column) {
    if (column_ == 0) column_ = column;
  }
  void SetFile(const std::string& file) {
    if (file_.empty()) file_ = file;
  }

  // "FILE:LINE:COLUMN: text", "FILE:LINE: text", "FILE: text", "line LINE, column COLUMN:
  // text", "line LINE: text" or the text alone, with control characters and bytes that are not UTF-8 escaped ("\x1b"),
  // so that bytes from a file never reach the terminal or the error box raw.
  std::string Describe() const;

 protected:
  // For errors whose text already names their file ("Datei X kann nicht ..."): the file is
  // kept, so that no caller puts another one on the error, but not written twice.
  void SetFileNamedInText(const std::string& file) {
    file_ = file;
    fileInText_ = true;
  }

 private:
  int line_ = 0;
  int column_ = 0;
  std::string file_;
  bool fileInText_ = false;
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

// A file that cannot be opened, read or written. Its text names the file itself.
class FileError : public ZamoError {
 public:
  FileError(const std::string& path, const std::string& text) : ZamoError(text) { SetFileNamedInText(path); }
};

}  // namespace zamo
