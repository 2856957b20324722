#pragma once

#include <QImage>
#include <string>

#include "model/KineticProject.h"
#include "model/Limits.h"

namespace zamo {

// The enlarged plot of the current experiment as an 800 x 600 picture at the zoom factor of
// the given zoom bar position: one time scale of 798 pixels for curves and markers, curve
// points limited to the picture. The project's curves must have been sampled with
// kGraphIntervals. A null picture when memory runs short.
QImage RenderGraph(const KineticProject& project, int zoomBarPosition);

// Encodes the picture as a BMP file in memory and hands the bytes to WriteFileAtomically.
// A picture that cannot be encoded (a null picture, a failed or empty encoding, no memory)
// is refused with FileError "Datei PATH kann nicht erstellt werden: the picture cannot be
// encoded (out of memory)" before the file is touched.
void WritePicture(const std::string& path, const QImage& picture);

// "Save Graph" of the window and of zamo-cli: RenderGraph written by WritePicture.
void SaveGraphPicture(const std::string& path, const KineticProject& project, int zoomBarPosition);

}  // namespace zamo
