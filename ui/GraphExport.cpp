#include "ui/GraphExport.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPainter>

#include "ui/PlotPainter.h"

namespace zamo {

QImage RenderGraph(const KineticProject& project, int zoomBarPosition) {
  QImage picture(kGraphWidth, kGraphHeight, QImage::Format_RGB32);
  picture.fill(Qt::white);
  QPainter painter(&picture);
  painter.setFont(QGuiApplication::font());
  DrawPlot(painter, project, PictureLayout(picture.size(), zoomBarPosition));
  return picture;
}

std::string GraphBmpBytes(const QImage& picture) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  picture.save(&buffer, "BMP");
  return bytes.toStdString();
}

}  // namespace zamo
