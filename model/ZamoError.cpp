#include "model/ZamoError.h"

#include "model/EscapedText.h"
#include "model/PlatformTexts.h"

namespace zamo {

namespace {

std::string FloatErrorText(FloatError::Kind kind) {
  switch (kind) {
    case FloatError::Kind::DivisionByZero:
      return texts::kDivisionByZero;
    case FloatError::Kind::Overflow:
      return texts::kOverflow;
    case FloatError::Kind::InvalidOperation:
      return texts::kInvalidOperation;
  }
  return texts::kInvalidOperation;
}

}  // namespace

std::string ZamoError::Describe() const {
  std::string where = fileInText_ ? std::string() : file_;
  if (line_ > 0 && where.empty()) {
    where = "line " + std::to_string(line_);
    if (column_ > 0) where += ", column " + std::to_string(column_);
  } else if (line_ > 0) {
    where += ":" + std::to_string(line_);
    if (column_ > 0) where += ":" + std::to_string(column_);
  }
  return EscapeControlCharacters(where.empty() ? std::string(what()) : where + ": " + what());
}

FloatError::FloatError(Kind kind) : ZamoError(FloatErrorText(kind)), kind_(kind) {}

}  // namespace zamo
