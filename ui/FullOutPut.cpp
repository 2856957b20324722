#include "ui/FullOutPut.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QVBoxLayout>

#include "ui/FullOutputText.h"
#include "ui/Platform.h"
#include "ui/TextBytes.h"

namespace zamo {

TOutPutForm::TOutPutForm(const KineticProject& project, Platform& platform, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      platform_(platform),
      output_(new QPlainTextEdit(this)) {
  setObjectName(QStringLiteral("OutPutForm"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setFixedSize(632, 547);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(output_);

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
  for (const std::string& line : FullOutputText(project)) lines.append(FromBytes(line));
  output_->setPlainText(lines.join(QLatin1Char('\n')));
  output_->moveCursor(QTextCursor::Start);
}

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
