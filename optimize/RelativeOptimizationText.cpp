#include "optimize/RelativeOptimizationText.h"

#include "model/NumberFormat.h"

namespace zamo {

std::string RelativeOptimizationText(Real percent) { return percent > 0 ? FormatFloat("0.00", percent) : "0.00"; }

}  // namespace zamo
