#include "model/PlatformTexts.h"

namespace zamo::texts {

std::string NotAFloat(std::string_view text) { return "'" + std::string(text) + "' ist kein gültiger Gleitkommawert"; }

std::string NotAnInteger(std::string_view text) { return "'" + std::string(text) + "' ist kein gültiger Integerwert"; }

std::string NotADateTime(std::string_view text) {
  return "'" + std::string(text) + "' ist keine gültige Datums- und Uhrzeitangabe";
}

std::string CannotOpenFile(std::string_view path) {
  return "Datei " + std::string(path) + " kann nicht geöffnet werden";
}

std::string CannotCreateFile(std::string_view path) {
  return "Datei " + std::string(path) + " kann nicht erstellt werden";
}

}  // namespace zamo::texts
