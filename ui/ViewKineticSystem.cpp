#include "ui/ViewKineticSystem.h"

#include <QLabel>
#include <QPixmap>

#include "ui/Resources.h"

namespace zamo {

TShowKinSysForm::TShowKinSysForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  InitResources();
  setObjectName(QStringLiteral("ShowKinSysForm"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setWindowTitle(QStringLiteral("Kinetic System       (Character = Reactant,  kx = Rate Constant)"));
  setFixedSize(365, 555);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, Qt::white);
  setPalette(palette);
  setAutoFillBackground(true);
  auto* picture = new QLabel(this);
  picture->setObjectName(QStringLiteral("Image1"));
  const QPixmap pixmap(QString::fromLatin1(kPicture));
  picture->setPixmap(pixmap);
  picture->setGeometry((width() - pixmap.width()) / 2, (height() - pixmap.height()) / 2, pixmap.width(),
                       pixmap.height());
}

}  // namespace zamo
