#include "ui/HelpWindow.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/Resources.h"
#include "ui/ScreenFit.h"

namespace zamo {

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
  browser_->setSource(QUrl(QString::fromLatin1(kHelpFile) + QStringLiteral("#contents")));
  FitToScreen(*this, QSize(720, 640));
}

}  // namespace zamo
