#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

class QImage;
class QPrinter;
class QSettings;
class QWidget;

namespace zamo {

// What the system says about the machine, for the start-up checks and the about box.
struct SystemInfo {
  std::uint64_t TotalMemory = 0;      // bytes of physical memory
  std::uint64_t AvailableMemory = 0;  // bytes of physical memory available
  int ProcessorType = 0;              // 386, 486, 586 or 686 by the processor family; 0 unknown
  int ProcessorCount = 1;
  std::uint64_t ProcessorMask = 1;  // the processors this process may run on, one bit each
  int ProcessorRevision = 0;
  std::string ProcessorModel;  // the model name the system reports
  std::string SystemName;      // the running system's name and release
  int ScreenWidth = 0;
  int ScreenHeight = 0;
};

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class PromptAnswer { Yes, No, Cancel };

struct FileDialogOptions {
  QString Title;
  QString Filter;         // "Zamo-Files (*.zam)"; several separated by ";;"
  QString DefaultSuffix;  // "zam"
  QString InitialName;    // proposed file name, may be empty
  bool ConfirmOverwrite = false;
};

// The options of a dialog that asks where to save, asking before it replaces a file.
inline FileDialogOptions SaveFileOptions(QString title, QString filter, QString defaultSuffix,
                                         QString initialName = {}) {
  return {std::move(title), std::move(filter), std::move(defaultSuffix), std::move(initialName), true};
}

// A whole number asked for in a small dialog.
struct IntegerQuestion {
  QString Title;
  QString Label;
  int Value = 0;  // proposed
  int Minimum = 0;
  int Maximum = 0;
};

// The one door to the desktop: message boxes, the save prompt, file, number and print
// dialogs, the clipboard, the settings kept between runs and the system queries go through
// it, so that tests can script the answers and read what a message said.
class Platform {
 public:
  virtual ~Platform() = default;

  // A message box with one OK button.
  virtual void ShowMessage(QWidget* parent, const QString& text, const QString& caption, MessageIcon icon) = 0;
  // "Bestätigung": "   Save File ?" with "&Ja", "&Nein" and "Abbrechen".
  virtual PromptAnswer AskSaveFile(QWidget* parent) = 0;
  // The chosen path, or nothing when the user cancels.
  virtual std::optional<QString> ChooseOpenFile(QWidget* parent, const FileDialogOptions& options) = 0;
  virtual std::optional<QString> ChooseSaveFile(QWidget* parent, const FileDialogOptions& options) = 0;
  // The paths chosen (one or several), or none when the user cancels.
  virtual QStringList ChooseOpenFiles(QWidget* parent, const FileDialogOptions& options) = 0;
  // A question answered "Yes" (true) or "No".
  virtual bool AskYesNo(QWidget* parent, const QString& text, const QString& caption) = 0;
  // The number chosen within the question's limits, or nothing when the user cancels.
  virtual std::optional<int> AskInteger(QWidget* parent, const IntegerQuestion& question) = 0;
  // The print dialog for `printer`: true when the user chose to print, with the printer set
  // up as chosen (a printer, or a PDF file as its output file name).
  virtual bool SetUpPrinter(QWidget* parent, QPrinter& printer) = 0;

  // What the program keeps between runs (the recent projects), for this user.
  virtual QSettings& Settings() = 0;

  virtual void ClearClipboard() = 0;
  virtual void SetClipboardText(const QString& text) = 0;
  virtual QString ClipboardText() = 0;
  // A picture onto the clipboard, replacing what it held.
  virtual void SetClipboardImage(const QImage& image) = 0;

  virtual SystemInfo QuerySystem() = 0;
  virtual void Beep() = 0;
  // Ends the process at once (a failed machine check).
  virtual void Terminate(int status) = 0;
  // Opens a link (mail or web) with the desktop's default handler; false when none could.
  virtual bool OpenLink(const QString& link) = 0;
};

}  // namespace zamo
