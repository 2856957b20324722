#include "ui/HelpWindow.h"

#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/Resources.h"
#include "ui/ScreenFit.h"

namespace zamo {

namespace {

// GitHub's anchor of a heading: lower case, blanks as "-", every character but letters,
// digits, "-" and "_" left out.
QString HeadingAnchor(const QString& heading) {
  QString anchor;
  for (const QChar c : heading.toLower()) {
    if (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_')) {
      anchor += c;
    } else if (c == QLatin1Char(' ')) {
      anchor += QLatin1Char('-');
    }
  }
  return anchor;
}

// A Markdown document comes without anchors.
void AddHeadingAnchors(QTextDocument& document) {
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    if (block.blockFormat().headingLevel() == 0 || block.text().isEmpty()) continue;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    QTextCharFormat anchor;
    anchor.setAnchor(true);
    anchor.setAnchorNames({HeadingAnchor(block.text())});
    cursor.mergeCharFormat(anchor);
  }
}

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent, Qt::Window), browser_(new QTextBrowser(this)) {
  InitResources();
  setObjectName(QStringLiteral("HelpWindow"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setWindowTitle(QStringLiteral("Zamo Help"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser_);
  browser_->setObjectName(QStringLiteral("HelpText"));
  browser_->setOpenExternalLinks(true);
  connect(browser_, &QTextBrowser::sourceChanged, this, [this](const QUrl& source) {
    AddHeadingAnchors(*browser_->document());
    if (source.hasFragment()) browser_->scrollToAnchor(source.fragment());
  });
  browser_->setSource(QUrl(QString::fromLatin1(kHelpFile)));
  FitToScreen(*this, QSize(720, 640));
}

}  // namespace zamo
