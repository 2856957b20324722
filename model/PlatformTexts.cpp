#include "model/PlatformTexts.h"

#include <cstring>

#include "model/EscapedText.h"

namespace zamo::texts {

std::string NotAFloat(std::string_view text) { return "'" + Excerpt(text) + "' ist kein gültiger Gleitkommawert"; }

std::string NotAnInteger(std::string_view text) { return "'" + Excerpt(text) + "' ist kein gültiger Integerwert"; }

std::string NotADateTime(std::string_view text) {
  return "'" + Excerpt(text) + "' ist keine gültige Datums- und Uhrzeitangabe";
}

std::string CannotOpenFile(std::string_view path, std::string_view reason) {
  return "Datei " + std::string(path) + " kann nicht geöffnet werden: " + std::string(reason);
}

std::string CannotCreateFile(std::string_view path, std::string_view reason) {
  return "Datei " + std::string(path) + " kann nicht erstellt werden: " + std::string(reason);
}

std::string SystemReason(int errorNumber) { return std::strerror(errorNumber); }

}  // namespace zamo::texts
