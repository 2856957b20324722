#pragma once

#include <QImage>
#include <QSettings>
#include <QTemporaryDir>
#include <deque>
#include <memory>

#include "ui/Platform.h"

namespace zamo::testing {

// A platform whose dialogs answer from scripts and whose messages are kept for reading.
class FakePlatform : public Platform {
 public:
  struct Message {
    QString Text, Caption;
    MessageIcon Icon;
  };
  FakePlatform();
  void ShowMessage(QWidget* parent, const QString& text, const QString& caption, MessageIcon icon) override;
  QString OneMessage() const;  // the one message's text, or a text saying there were none or several
  PromptAnswer AskSaveFile(QWidget* parent) override;
  std::optional<QString> ChooseOpenFile(QWidget* parent, const FileDialogOptions& options) override;
  std::optional<QString> ChooseSaveFile(QWidget* parent, const FileDialogOptions& options) override;
  QStringList ChooseOpenFiles(QWidget* parent, const FileDialogOptions& options) override;
  bool AskYesNo(QWidget* parent, const QString& text, const QString& caption) override;
  std::optional<int> AskInteger(QWidget* parent, const IntegerQuestion& question) override;
  bool SetUpPrinter(QWidget* parent, QPrinter& printer) override;
  // Settings in SettingsFile, never the user's: a fresh temporary file unless a test names one.
  QSettings& Settings() override;
  void ClearClipboard() override { Clipboard.clear(); }
  void SetClipboardText(const QString& text) override { Clipboard = text; }
  QString ClipboardText() override { return Clipboard; }
  void SetClipboardImage(const QImage& image) override { ClipboardImage = image; }
  SystemInfo QuerySystem() override { return System; }
  void Beep() override { ++Beeps; }
  void Terminate(int status) override { TerminatedWith = status; }
  bool OpenLink(const QString& link) override;

  // Answers, taken from the front (an empty script fails the test); nothing answers Cancel.
  std::deque<PromptAnswer> PromptAnswers;
  std::deque<std::optional<QString>> FileAnswers;
  std::deque<QStringList> FileListAnswers;
  std::deque<bool> YesNoAnswers;
  std::deque<std::optional<int>> IntegerAnswers;
  std::deque<std::optional<QString>> PrintAnswers;  // a PDF file to print into
  bool LinksOpen = true;

  std::vector<Message> Messages;
  std::vector<FileDialogOptions> FileDialogs;
  QStringList Questions;  // the text of each yes-or-no question asked
  std::vector<IntegerQuestion> IntegerQuestions;
  QStringList PrintedDocuments;  // the document name of each print dialog shown
  std::vector<QString> OpenedLinks;
  int Prompts = 0, Beeps = 0;
  std::optional<int> TerminatedWith;
  QString Clipboard = QStringLiteral("something the user copied");
  QImage ClipboardImage;
  SystemInfo System{std::uint64_t{8} << 30, std::uint64_t{4} << 30, 686, 2, 3, 7, "Test CPU", "Linux 6.1", 1920, 1080};
  QString SettingsFile;

 private:
  QTemporaryDir settingsFolder_;
  std::unique_ptr<QSettings> settings_;
};

}  // namespace zamo::testing
