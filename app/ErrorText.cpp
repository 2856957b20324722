#include "app/ErrorText.h"

#include "model/ZamoError.h"
#include "ui/TextBytes.h"

namespace zamo {

QString WithFullStop(const QString& message) {
  if (message.isEmpty() || message.back().unicode() <= u'.') return message;
  return message + QLatin1Char('.');
}

QString ErrorBoxText(const std::exception& error) {
  if (const auto* zamoError = dynamic_cast<const ZamoError*>(&error))
    return WithFullStop(FromBytes(zamoError->Describe()));
  return WithFullStop(FromBytes(error.what()));
}

}  // namespace zamo
