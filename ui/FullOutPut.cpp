#include "ui/FullOutPut.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include "document/FullOutputText.h"
#include "document/TextFile.h"
#include "ui/ErrorText.h"
#include "ui/Platform.h"
#include "ui/PrintText.h"
#include "ui/ScreenFit.h"
#include "ui/TextBytes.h"

namespace zamo {

TOutPutForm::TOutPutForm(const KineticProject& project, Platform& platform, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      platform_(platform),
      lines_(FullOutputText(project)),
      output_(new QPlainTextEdit(this)) {
  setObjectName(QStringLiteral("OutPutForm"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  output_->setMinimumSize(320, 160);
  layout->addWidget(output_, 1);

  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(8, 6, 8, 6);
  buttons->addStretch();
  const auto button = [this, buttons](const QString& name, const QString& text, void (TOutPutForm::*handler)()) {
    auto* pushButton = new QPushButton(text, this);
    pushButton->setObjectName(name);
    pushButton->setAutoDefault(false);
    pushButton->setEnabled(!lines_.empty());
    connect(pushButton, &QPushButton::clicked, this,
            [this, handler] { RunGuarded(platform_, this, [this, handler] { (this->*handler)(); }); });
    buttons->addWidget(pushButton);
  };
  button(QStringLiteral("SaveAsButton"), QStringLiteral("Save As"), &TOutPutForm::SaveAsClick);
  button(QStringLiteral("PrintButton"), QStringLiteral("Print"), &TOutPutForm::PrintClick);
  layout->addLayout(buttons);

  output_->setObjectName(QStringLiteral("OutPut"));
  output_->setReadOnly(true);
  output_->setLineWrapMode(QPlainTextEdit::NoWrap);
  output_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QFont courier(QStringLiteral("Courier"));
  courier.setStyleHint(QFont::TypeWriter);
  courier.setFixedPitch(true);
  courier.setPointSize(9);
  output_->setFont(courier);
  QPalette palette = output_->palette();
  palette.setColor(QPalette::Text, Qt::black);
  output_->setPalette(palette);
  output_->installEventFilter(this);

  output_->clear();
  setWindowTitle(QString::fromStdString(FullOutputCaption(project.ShowLeft)));
  QStringList lines;
  for (const std::string_view line : lines_) lines.append(FromBytes(line));
  output_->setPlainText(lines.join(QLatin1Char('\n')));
  output_->moveCursor(QTextCursor::Start);
  // The report's box is 632 x 547 where the screen has room for it.
  FitToScreen(*this, QSize(632, 547 + buttons->sizeHint().height()));
}

// The report as shown, one line each, with CR LF as the project files have.
void TOutPutForm::SaveAsClick() {
  const FileDialogOptions options =
      SaveFileOptions(QStringLiteral("Save Full Output As"), QStringLiteral("Text Files (*.txt);;All Files (*)"),
                      QStringLiteral("txt"));
  if (const std::optional<QString> path = platform_.ChooseSaveFile(this, options)) {
    WriteTextFileAtomically(path->toStdString(), lines_);
  }
}

void TOutPutForm::PrintClick() { PrintText(platform_, this, *output_, windowTitle()); }

bool TOutPutForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == output_ && event->type() == QEvent::KeyPress) {
    const QTextCursor cursor = output_->textCursor();
    if (cursor.hasSelection()) {
      // The text of a selection that spans lines has paragraph separators; the clipboard
      // gets plain line breaks.
      QString text = cursor.selectedText();
      text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
      platform_.SetClipboardText(text);
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace zamo
