#pragma once

#include <string>
#include <string_view>

// Texts that the user sees for errors the platform raised in the original environment.
// They are German on purpose and must stay exactly as they are.
namespace zamo::texts {

inline constexpr const char* kDivisionByZero = "Gleitkommadivision durch Null";
inline constexpr const char* kOverflow = "Gleitkommaüberlauf";
inline constexpr const char* kInvalidOperation = "Ungültige Gleitkommaoperation";

// "'%s' ist kein gültiger Gleitkommawert" and its relatives, with %s filled in (an Excerpt
// of a long text).
std::string NotAFloat(std::string_view text);
std::string NotAnInteger(std::string_view text);
std::string NotADateTime(std::string_view text);
// "Datei %s kann nicht geöffnet werden" and "Datei %s kann nicht erstellt werden" with the
// path, followed by ": " and the reason (the system's text or a limit).
std::string CannotOpenFile(std::string_view path, std::string_view reason);
std::string CannotCreateFile(std::string_view path, std::string_view reason);

// The system's text for an errno value (strerror, in the process's locale).
std::string SystemReason(int errorNumber);

}  // namespace zamo::texts
