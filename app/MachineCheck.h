#pragma once

#include <optional>
#include <string>

#include "ui/Platform.h"

namespace zamo {

// The first machine check that fails, as the text of its "Abort program" box: memory below
// 4 MiB, an Intel 386 processor, a screen smaller than 800 x 600. Nothing when all pass.
std::optional<std::string> FailedMachineCheck(const SystemInfo& info);

}  // namespace zamo
