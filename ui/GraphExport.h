#pragma once

#include <QImage>

#include "model/KineticProject.h"
#include "ui/GraphSize.h"

namespace zamo {

// The enlarged plot of the current experiment as an 800 x 600 picture at the zoom factor of
// the given zoom bar position: one time scale of 798 pixels for curves and markers, curve
// points limited to the picture. The project's curves must have been sampled with
// kGraphIntervals.
QImage RenderGraph(const KineticProject& project, int zoomBarPosition);

// The picture as the bytes of a BMP file.
std::string GraphBmpBytes(const QImage& picture);

}  // namespace zamo
