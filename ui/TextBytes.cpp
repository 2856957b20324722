#include "ui/TextBytes.h"

#include <QStringDecoder>

namespace zamo {

QString FromBytes(std::string_view bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8);
  QString text = decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (decoder.hasError()) return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
  return text;
}

std::string ToBytes(const QString& text) { return text.toStdString(); }

}  // namespace zamo
