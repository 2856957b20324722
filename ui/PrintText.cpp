#include "ui/PrintText.h"

#include <QBuffer>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPrinter>

#include "document/FileWriter.h"
#include "ui/Platform.h"

namespace zamo {

bool PrintText(Platform& platform, QWidget* parent, const QPlainTextEdit& text, const QString& title) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(title);
  printer.setCreator(QStringLiteral("Zamo"));
  if (!platform.SetUpPrinter(parent, printer)) return false;
  if (printer.outputFormat() != QPrinter::PdfFormat || printer.outputFileName().isEmpty()) {
    text.print(&printer);
    return true;
  }
  QByteArray bytes;
  {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setTitle(title);
    pdf.setCreator(printer.creator());
    pdf.setPageLayout(printer.pageLayout());
    pdf.setResolution(printer.resolution());
    text.print(&pdf);
  }
  WriteFileAtomically(printer.outputFileName().toStdString(), bytes.toStdString());
  return true;
}

}  // namespace zamo
