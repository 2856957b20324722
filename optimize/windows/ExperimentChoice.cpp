#include "optimize/windows/ExperimentChoice.h"

#include <QComboBox>
#include <algorithm>

#include "model/KineticProject.h"
#include "optimize/FitResiduals.h"

namespace zamo {

void OfferPresentExperiments(QComboBox& box, const KineticProject& project) {
  const QVariant chosen = box.currentData();
  box.clear();
  if (project.Left.Present && project.Right.Present) {
    box.addItem(QStringLiteral("Both"), static_cast<int>(FitExperiments::Both));
  }
  if (project.Left.Present) box.addItem(QStringLiteral("Left"), static_cast<int>(FitExperiments::Left));
  if (project.Right.Present) box.addItem(QStringLiteral("Right"), static_cast<int>(FitExperiments::Right));
  box.setCurrentIndex(std::max(0, box.findData(chosen)));
}

}  // namespace zamo
