#include "model/ZamoError.h"

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
  std::string where = file_;
  if (line_ > 0) where += where.empty() ? "line " + std::to_string(line_) : ":" + std::to_string(line_);
  return where.empty() ? std::string(what()) : where + ": " + what();
}

FloatError::FloatError(Kind kind) : ZamoError(FloatErrorText(kind)), kind_(kind) {}

}  // namespace zamo
