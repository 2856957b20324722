#pragma once

#include "model/KineticProject.h"

namespace zamo::bench {

// The built-in example project as the application holds it after start-up: read, marked
// valid and recalculated for the plots of the narrowest window, so that the deviations of
// the shown experiment, which decide the optimizer's default settings, are in place.
KineticProject LoadExampleProject();

}  // namespace zamo::bench
