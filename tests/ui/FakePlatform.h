#pragma once

#include <QImage>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "ui/Platform.h"

namespace zamo::testing {

// A platform whose dialogs answer from scripts and whose messages are kept for reading.
class FakePlatform : public Platform {
 public:
  struct Message {
    QString Text;
    QString Caption;
    MessageIcon Icon;
  };

  FakePlatform();

  void ShowMessage(QWidget* parent, const QString& text, const QString& caption, MessageIcon icon) override;
  // The text of the one message shown; when there were none or several, a text saying so.
  QString OneMessage() const;
  PromptAnswer AskSaveFile(QWidget* parent) override;
  std::optional<QString> ChooseOpenFile(QWidget* parent, const FileDialogOptions& options) override;
  std::optional<QString> ChooseSaveFile(QWidget* parent, const FileDialogOptions& options) override;
  QStringList ChooseOpenFiles(QWidget* parent, const FileDialogOptions& options) override;
  bool AskYesNo(QWidget* parent, const QString& text, const QString& caption) override;
  std::optional<int> AskInteger(QWidget* parent, const IntegerQuestion& question) override;
  bool SetUpPrinter(QWidget* parent, QPrinter& printer) override;
  // Settings in a file of their own, never the user's: SettingsFile, a file in a fresh
  // temporary folder unless a test names another (to share one between two windows, as
  // between two runs of the program); naming another switches to it at the next use.
  QSettings& Settings() override;
  void ClearClipboard() override { Clipboard.clear(); }
  void SetClipboardText(const QString& text) override { Clipboard = text; }
  QString ClipboardText() override { return Clipboard; }
  void SetClipboardImage(const QImage& image) override { ClipboardImage = image; }
  SystemInfo QuerySystem() override { return System; }
  void Beep() override { ++Beeps; }
  void Terminate(int status) override { TerminatedWith = status; }
  bool OpenLink(const QString& link) override;

  // Scripts: answers are taken from the front; an empty script fails the test.
  std::deque<PromptAnswer> PromptAnswers;
  std::deque<std::optional<QString>> FileAnswers;  // a path, or nothing for Cancel
  std::deque<QStringList> FileListAnswers;         // the paths chosen, none for Cancel
  std::deque<bool> YesNoAnswers;
  std::deque<std::optional<int>> IntegerAnswers;  // a number, or nothing for Cancel
  // The print dialog: a PDF file to print into, or nothing for Cancel.
  std::deque<std::optional<QString>> PrintAnswers;
  bool LinksOpen = true;

  // What happened.
  std::vector<Message> Messages;
  std::vector<FileDialogOptions> FileDialogs;
  QStringList Questions;  // the text of each yes-or-no question asked
  std::vector<IntegerQuestion> IntegerQuestions;
  QStringList PrintedDocuments;  // the document name of each print dialog shown
  std::vector<QString> OpenedLinks;
  int Prompts = 0;
  int Beeps = 0;
  std::optional<int> TerminatedWith;
  QString Clipboard = QStringLiteral("something the user copied");
  QImage ClipboardImage;
  SystemInfo System;
  QString SettingsFile;

 private:
  QTemporaryDir settingsFolder_;
  std::unique_ptr<QSettings> settings_;
};

}  // namespace zamo::testing
