#pragma once

#include <QString>
#include <exception>

namespace zamo {

// The application title, also the caption of the general error box.
inline constexpr const char* kApplicationTitle = "Kinetic Calculation of Unimolecular Reactions";

// The text of the general error box for an error: its message (with file and line in front
// where the error has them) and a full stop appended when the code of its last character is
// greater than that of "." (so a message ending in ".", "!" or ")" gets none).
QString ErrorBoxText(const std::exception& error);

// The full-stop rule alone.
QString WithFullStop(const QString& message);

}  // namespace zamo
