#include "app/QtPlatform.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QImage>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <cstdlib>

#include "app/SystemQuery.h"

namespace zamo {

namespace {

QMessageBox::Icon ToQt(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Error:
      return QMessageBox::Critical;
    case MessageIcon::Question:
      return QMessageBox::Question;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

enum class FileChoice { Open, OpenSeveral, Save };

// A file dialog of Qt's own, so that it looks alike on every desktop and can be scripted.
QStringList RunFileDialog(QWidget* parent, const FileDialogOptions& options, FileChoice choice) {
  QFileDialog dialog(parent, options.Title);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setNameFilter(options.Filter);
  dialog.setDefaultSuffix(options.DefaultSuffix);
  dialog.setAcceptMode(choice == FileChoice::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(choice == FileChoice::Save          ? QFileDialog::AnyFile
                     : choice == FileChoice::OpenSeveral ? QFileDialog::ExistingFiles
                                                         : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !options.ConfirmOverwrite);
  if (!options.InitialName.isEmpty()) dialog.selectFile(options.InitialName);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

std::optional<QString> FirstOf(const QStringList& paths) {
  if (paths.isEmpty()) return std::nullopt;
  return paths.front();
}

}  // namespace

void QtPlatform::ShowMessage(QWidget* parent, const QString& text, const QString& caption, MessageIcon icon) {
  QMessageBox box(ToQt(icon), caption, text, QMessageBox::Ok, parent);
  box.exec();
}

PromptAnswer QtPlatform::AskSaveFile(QWidget* parent) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Bestätigung"), QStringLiteral("   Save File ?"),
                  QMessageBox::NoButton, parent);
  QPushButton* yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
  QPushButton* no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
  QPushButton* cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
  box.setDefaultButton(yes);
  box.setEscapeButton(cancel);
  box.exec();
  if (box.clickedButton() == yes) return PromptAnswer::Yes;
  if (box.clickedButton() == no) return PromptAnswer::No;
  return PromptAnswer::Cancel;
}

std::optional<QString> QtPlatform::ChooseOpenFile(QWidget* parent, const FileDialogOptions& options) {
  return FirstOf(RunFileDialog(parent, options, FileChoice::Open));
}

std::optional<QString> QtPlatform::ChooseSaveFile(QWidget* parent, const FileDialogOptions& options) {
  return FirstOf(RunFileDialog(parent, options, FileChoice::Save));
}

QStringList QtPlatform::ChooseOpenFiles(QWidget* parent, const FileDialogOptions& options) {
  return RunFileDialog(parent, options, FileChoice::OpenSeveral);
}

bool QtPlatform::AskYesNo(QWidget* parent, const QString& text, const QString& caption) {
  return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
         QMessageBox::Yes;
}

std::optional<int> QtPlatform::AskInteger(QWidget* parent, const IntegerQuestion& question) {
  bool accepted = false;
  const int value = QInputDialog::getInt(parent, question.Title, question.Label, question.Value, question.Minimum,
                                         question.Maximum, 1, &accepted);
  if (!accepted) return std::nullopt;
  return value;
}

bool QtPlatform::SetUpPrinter(QWidget* parent, QPrinter& printer) {
  QPrintDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

// The user's settings of the program "zamo", where the desktop keeps them (on Linux
// ~/.config/zamo/zamo.conf).
QSettings& QtPlatform::Settings() {
  if (!settings_ && !settingsFile_.isEmpty()) {
    settings_ = std::make_unique<QSettings>(settingsFile_, QSettings::IniFormat);
  }
  if (!settings_) settings_ = std::make_unique<QSettings>(QStringLiteral("zamo"), QStringLiteral("zamo"));
  return *settings_;
}

void QtPlatform::ClearClipboard() { QGuiApplication::clipboard()->clear(); }

void QtPlatform::SetClipboardText(const QString& text) { QGuiApplication::clipboard()->setText(text); }

QString QtPlatform::ClipboardText() { return QGuiApplication::clipboard()->text(); }

void QtPlatform::SetClipboardImage(const QImage& image) { QGuiApplication::clipboard()->setImage(image); }

SystemInfo QtPlatform::QuerySystem() {
  SystemInfo info = QueryLinuxSystem();
  // The screen in device pixels: at a scale factor the toolkit's own units count fewer.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QSize pixels = (QSizeF(screen->size()) * screen->devicePixelRatio()).toSize();
    info.ScreenWidth = pixels.width();
    info.ScreenHeight = pixels.height();
  }
  return info;
}

void QtPlatform::Beep() { QApplication::beep(); }

void QtPlatform::Terminate(int status) { std::exit(status); }

bool QtPlatform::OpenLink(const QString& link) { return QDesktopServices::openUrl(QUrl(link)); }

}  // namespace zamo
