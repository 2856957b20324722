#pragma once

#include <QString>

class QPlainTextEdit;
class QWidget;

namespace zamo {

class Platform;

// Prints the text of a text control in its font through the print dialog, titled `title`.
// Printing into a PDF file renders the pages in memory and hands the bytes to the one writer
// of files (FileError naming the file when it cannot be written); a printer gets the pages
// directly. False when the user cancelled the dialog.
bool PrintText(Platform& platform, QWidget* parent, const QPlainTextEdit& text, const QString& title);

}  // namespace zamo
