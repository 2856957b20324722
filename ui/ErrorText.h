#pragma once

#include <QString>
#include <exception>
#include <functional>

class QWidget;

namespace zamo {

// The application title, also the caption of the general error box.
inline constexpr const char* kApplicationTitle = "Kinetic Calculation of Unimolecular Reactions";

// The text of the general error box for an error: its message (with file and line in front
// where the error has them) and a full stop appended when the code of its last character is
// greater than that of "." (so a message ending in ".", "!" or ")" gets none).
QString ErrorBoxText(const std::exception& error);

// The full-stop rule alone.
QString WithFullStop(const QString& message);

class Platform;

// The general error box: the error's text, titled with the application title.
void ShowErrorBox(Platform& platform, QWidget* parent, const std::exception& error);

// The one guard of every command and window event: an error the command raises ends it
// there and is shown in the general error box; the program goes on. False after an error.
bool RunGuarded(Platform& platform, QWidget* parent, const std::function<void()>& command);

}  // namespace zamo
