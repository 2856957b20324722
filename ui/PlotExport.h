#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>
#include <string>

#include "optimize/PlotData.h"

class QCustomPlot;

namespace zamo {

// Pictures of the plot window's figure. A picture is laid out as the figure would be on a
// screen of 96 dpi at the picture's size in inches (Width / Dpi by Height / Dpi), so that
// fonts and lines keep their size in print: a PNG is that layout scaled to Width x Height
// pixels and carries Dpi in its header; SVG and PDF are vector drawings of that size whose
// text stays text.

// The picture as an image of exactly size.Width x size.Height pixels; null when memory
// runs short.
QImage RenderPlotImage(QCustomPlot& plot, const PictureSize& size);

// The bytes of a picture file in the format; empty when the encoding failed.
QByteArray EncodePlot(QCustomPlot& plot, PictureFormat format, const PictureSize& size);

// Writes the picture in `format`, or where none is given in the format its name's extension
// asks for, encoded in memory first and handed to WriteFileAtomically. Refused with
// FileError before the file is touched: "Datei PATH kann nicht erstellt werden: REASON", the
// reason "the name must end in .png, .svg or .pdf" or "the picture cannot be encoded (out of
// memory)".
void WritePlotPicture(const std::string& path, QCustomPlot& plot, const PictureSize& size,
                      std::optional<PictureFormat> format = std::nullopt);

// The file dialog's filter of the kinds WritePlotPicture writes.
inline const QString kPlotPictureFilter =
    QStringLiteral("PNG Pictures (*.png);;SVG Drawings (*.svg);;PDF Documents (*.pdf)");

// zamo-cli plot: the project's figure on a plot of its own (a QApplication must exist),
// written by WritePlotPicture.
void SavePlotPicture(const std::string& path, const KineticProject& project, const PlotOptions& options,
                     const PictureSize& size, std::optional<PictureFormat> format = std::nullopt);

}  // namespace zamo
