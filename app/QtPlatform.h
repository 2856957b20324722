#pragma once

#include "ui/Platform.h"

namespace zamo {

// The platform of the running desktop: Qt's dialogs, clipboard and screen, and the Linux
// system queries.
class QtPlatform : public Platform {
 public:
  void ShowMessage(QWidget* parent, const QString& text, const QString& caption, MessageIcon icon) override;
  PromptAnswer AskSaveFile(QWidget* parent) override;
  std::optional<QString> ChooseOpenFile(QWidget* parent, const FileDialogOptions& options) override;
  std::optional<QString> ChooseSaveFile(QWidget* parent, const FileDialogOptions& options) override;
  void ClearClipboard() override;
  void SetClipboardText(const QString& text) override;
  QString ClipboardText() override;
  void SetClipboardImage(const QImage& image) override;
  SystemInfo QuerySystem() override;
  void Beep() override;
  void Terminate(int status) override;
  bool OpenLink(const QString& link) override;
};

}  // namespace zamo
