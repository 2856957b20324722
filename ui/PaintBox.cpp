#include "ui/PaintBox.h"

#include <QPainter>

namespace zamo {

PaintBox::PaintBox(const QString& name, QWidget* parent) : QWidget(parent) {
  setObjectName(name);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAutoFillBackground(false);
}

void PaintBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (painter_) {
    painter_(painter);
  } else {
    painter.fillRect(rect(), Qt::white);
  }
}

}  // namespace zamo
