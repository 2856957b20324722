#include "tests/ui/FakePlatform.h"

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

bool FakePlatform::OpenLink(const QString& link) {
  OpenedLinks.push_back(link);
  return LinksOpen;
}

}  // namespace zamo::testing
