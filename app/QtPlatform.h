#pragma once

#include <QSettings>
#include <QString>
#include <memory>
#include <utility>

#include "ui/Platform.h"

namespace zamo {

// The platform of the running desktop: Qt's dialogs, clipboard and screen, and the Linux
// system queries.
class QtPlatform : public Platform {
 public:
  // The settings live in `settingsFile` (an INI file) when one is named, so that a test or a
  // benchmark never touches the user's; else where the desktop keeps the program's.
  explicit QtPlatform(QString settingsFile = {}) : settingsFile_(std::move(settingsFile)) {}

  void ShowMessage(QWidget* parent, const QString& text, const QString& caption, MessageIcon icon) override;
  PromptAnswer AskSaveFile(QWidget* parent) override;
  std::optional<QString> ChooseOpenFile(QWidget* parent, const FileDialogOptions& options) override;
  std::optional<QString> ChooseSaveFile(QWidget* parent, const FileDialogOptions& options) override;
  QStringList ChooseOpenFiles(QWidget* parent, const FileDialogOptions& options) override;
  bool AskYesNo(QWidget* parent, const QString& text, const QString& caption) override;
  std::optional<int> AskInteger(QWidget* parent, const IntegerQuestion& question) override;
  bool SetUpPrinter(QWidget* parent, QPrinter& printer) override;
  QSettings& Settings() override;
  void ClearClipboard() override;
  void SetClipboardText(const QString& text) override;
  QString ClipboardText() override;
  void SetClipboardImage(const QImage& image) override;
  SystemInfo QuerySystem() override;
  void Beep() override;
  void Terminate(int status) override;
  bool OpenLink(const QString& link) override;

 private:
  QString settingsFile_;
  std::unique_ptr<QSettings> settings_;
};

}  // namespace zamo
