#include "app/MachineCheck.h"

namespace zamo {

std::optional<std::string> FailedMachineCheck(const SystemInfo& info) {
  if (info.TotalMemory < 4194304) return "Not enough memory !";
  if (info.ProcessorType == 386) return "486 Processor or higher is required !";
  if (info.ScreenWidth < 800 || info.ScreenHeight < 600) return "Minimum resolution of 800x600 is required !";
  return std::nullopt;
}

}  // namespace zamo
