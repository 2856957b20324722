#include "ui/ViewKineticSystem.h"

#include <QLabel>
#include <QPixmap>
#include <algorithm>

#include "ui/Resources.h"
#include "ui/ScreenFit.h"

namespace zamo {

TShowKinSysForm::TShowKinSysForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  InitResources();
  setObjectName(QStringLiteral("ShowKinSysForm"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setWindowTitle(QStringLiteral("Kinetic System       (Character = Reactant,  kx = Rate Constant)"));
  // A screen too small for the window shows it, and the scheme, smaller.
  const QSize full(365, 555);
  const QSize size = full.boundedTo(ScreenRoom(*this));
  setFixedSize(size);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, Qt::white);
  setPalette(palette);
  setAutoFillBackground(true);
  auto* picture = new QLabel(this);
  picture->setObjectName(QStringLiteral("Image1"));
  QPixmap pixmap(QString::fromLatin1(kPicture));
  if (size != full) {
    const double scale =
        std::min(static_cast<double>(size.width()) / full.width(), static_cast<double>(size.height()) / full.height());
    pixmap = pixmap.scaled(pixmap.size() * scale, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  }
  picture->setPixmap(pixmap);
  picture->setGeometry((width() - pixmap.width()) / 2, (height() - pixmap.height()) / 2, pixmap.width(),
                       pixmap.height());
  FitToScreen(*this, size);
}

}  // namespace zamo
