#include "ui/ErrorText.h"

#include "model/ZamoError.h"
#include "ui/Platform.h"
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

void ShowErrorBox(Platform& platform, QWidget* parent, const std::exception& error) {
  platform.ShowMessage(parent, ErrorBoxText(error), QString::fromLatin1(kApplicationTitle), MessageIcon::Error);
}

bool RunGuarded(Platform& platform, QWidget* parent, const std::function<void()>& command) {
  try {
    command();
    return true;
  } catch (const std::exception& error) {
    ShowErrorBox(platform, parent, error);
    return false;
  }
}

}  // namespace zamo
