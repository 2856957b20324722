#pragma once

class QComboBox;

namespace zamo {

struct KineticProject;

// Fills the choice of the experiments to fit with those the project holds ("Both" only
// where it holds both), each item carrying its FitExperiments value, and keeps the choice
// made before where it is still offered.
void OfferPresentExperiments(QComboBox& box, const KineticProject& project);

}  // namespace zamo
