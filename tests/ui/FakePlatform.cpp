#include "tests/ui/FakePlatform.h"

#include <QPrinter>
#include <QTest>

namespace zamo::testing {

// The next scripted answer; a dialog shown without one fails the test and gets `none`.
template <class T>
static T Next(std::deque<T>& script, const char* dialog, const T& none) {
  if (script.empty()) {
    QTest::qFail(qPrintable(QStringLiteral("%1 was shown without a scripted answer").arg(QLatin1String(dialog))),
                 __FILE__, __LINE__);
    script.push_back(none);
  }
  const T answer = script.front();
  script.pop_front();
  return answer;
}

FakePlatform::FakePlatform() { SettingsFile = settingsFolder_.filePath(QStringLiteral("zamo.conf")); }

void FakePlatform::ShowMessage(QWidget*, const QString& text, const QString& caption, MessageIcon icon) {
  Messages.push_back({text, caption, icon});
}

QString FakePlatform::OneMessage() const {
  if (Messages.size() == 1) return Messages[0].Text;
  QStringList texts;
  for (const Message& message : Messages) texts.append(message.Text);
  return QStringLiteral("<%1 messages> ").arg(Messages.size()) + texts.join(QLatin1String(" | "));
}

PromptAnswer FakePlatform::AskSaveFile(QWidget*) {
  ++Prompts;
  return Next(PromptAnswers, "the save prompt", PromptAnswer::Cancel);
}

std::optional<QString> FakePlatform::ChooseOpenFile(QWidget*, const FileDialogOptions& options) {
  FileDialogs.push_back(options);
  return Next(FileAnswers, "a file dialog", std::optional<QString>());
}

std::optional<QString> FakePlatform::ChooseSaveFile(QWidget* parent, const FileDialogOptions& options) {
  return ChooseOpenFile(parent, options);
}

QStringList FakePlatform::ChooseOpenFiles(QWidget*, const FileDialogOptions& options) {
  FileDialogs.push_back(options);
  return Next(FileListAnswers, "a file dialog", QStringList());
}

bool FakePlatform::AskYesNo(QWidget*, const QString& text, const QString&) {
  Questions.append(text);
  return Next(YesNoAnswers, "a question", false);
}

std::optional<int> FakePlatform::AskInteger(QWidget*, const IntegerQuestion& question) {
  IntegerQuestions.push_back(question);
  return Next(IntegerAnswers, "a number question", std::optional<int>());
}

// As the print dialog's "Print to File (PDF)".
bool FakePlatform::SetUpPrinter(QWidget*, QPrinter& printer) {
  PrintedDocuments.append(printer.docName());
  const std::optional<QString> answer = Next(PrintAnswers, "the print dialog", std::optional<QString>());
  if (answer) printer.setOutputFileName(*answer);  // a name ending in .pdf chooses the PDF format
  return answer.has_value();
}

QSettings& FakePlatform::Settings() {
  if (!settings_ || settings_->fileName() != SettingsFile) {
    settings_ = std::make_unique<QSettings>(SettingsFile, QSettings::IniFormat);
  }
  return *settings_;
}

bool FakePlatform::OpenLink(const QString& link) {
  OpenedLinks.push_back(link);
  return LinksOpen;
}

}  // namespace zamo::testing
