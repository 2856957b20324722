#include "tests/ui/FakePlatform.h"

#include <QPrinter>
#include <QTest>

namespace zamo::testing {

FakePlatform::FakePlatform() {
  System.TotalMemory = std::uint64_t{8} << 30;
  System.AvailableMemory = std::uint64_t{4} << 30;
  System.ProcessorType = 686;
  System.ProcessorCount = 2;
  System.ProcessorMask = 3;
  System.ProcessorRevision = 7;
  System.ProcessorModel = "Test CPU";
  System.SystemName = "Linux 6.1";
  System.ScreenWidth = 1920;
  System.ScreenHeight = 1080;
  SettingsFile = settingsFolder_.filePath(QStringLiteral("zamo.conf"));
}

void FakePlatform::ShowMessage(QWidget*, const QString& text, const QString& caption, MessageIcon icon) {
  Messages.push_back({text, caption, icon});
}

PromptAnswer FakePlatform::AskSaveFile(QWidget*) {
  ++Prompts;
  if (PromptAnswers.empty()) {
    QTest::qFail("the save prompt was shown without a scripted answer", __FILE__, __LINE__);
    return PromptAnswer::Cancel;
  }
  const PromptAnswer answer = PromptAnswers.front();
  PromptAnswers.pop_front();
  return answer;
}

std::optional<QString> FakePlatform::ChooseOpenFile(QWidget*, const FileDialogOptions& options) {
  FileDialogs.push_back(options);
  if (FileAnswers.empty()) {
    QTest::qFail("a file dialog was shown without a scripted answer", __FILE__, __LINE__);
    return std::nullopt;
  }
  const std::optional<QString> answer = FileAnswers.front();
  FileAnswers.pop_front();
  return answer;
}

std::optional<QString> FakePlatform::ChooseSaveFile(QWidget* parent, const FileDialogOptions& options) {
  return ChooseOpenFile(parent, options);
}

QStringList FakePlatform::ChooseOpenFiles(QWidget*, const FileDialogOptions& options) {
  FileDialogs.push_back(options);
  if (FileListAnswers.empty()) {
    QTest::qFail("a file dialog was shown without a scripted answer", __FILE__, __LINE__);
    return {};
  }
  const QStringList answer = FileListAnswers.front();
  FileListAnswers.pop_front();
  return answer;
}

bool FakePlatform::AskYesNo(QWidget*, const QString& text, const QString&) {
  Questions.append(text);
  if (YesNoAnswers.empty()) {
    QTest::qFail("a question was asked without a scripted answer", __FILE__, __LINE__);
    return false;
  }
  const bool answer = YesNoAnswers.front();
  YesNoAnswers.pop_front();
  return answer;
}

std::optional<int> FakePlatform::AskInteger(QWidget*, const IntegerQuestion& question) {
  IntegerQuestions.push_back(question);
  if (IntegerAnswers.empty()) {
    QTest::qFail("a number was asked for without a scripted answer", __FILE__, __LINE__);
    return std::nullopt;
  }
  const std::optional<int> answer = IntegerAnswers.front();
  IntegerAnswers.pop_front();
  return answer;
}

// As the print dialog's "Print to File (PDF)".
bool FakePlatform::SetUpPrinter(QWidget*, QPrinter& printer) {
  PrintedDocuments.append(printer.docName());
  if (PrintAnswers.empty()) {
    QTest::qFail("the print dialog was shown without a scripted answer", __FILE__, __LINE__);
    return false;
  }
  const std::optional<QString> answer = PrintAnswers.front();
  PrintAnswers.pop_front();
  if (!answer) return false;
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(*answer);
  return true;
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
