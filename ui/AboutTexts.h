#pragma once

#include <string>

#include "ui/Platform.h"

namespace zamo {

// The three facts of the about box: the running system, the processor (the count in front
// when there is more than one, then ", Mask: " and the affinity mask, ", Rev.: " and the
// revision) and the memory ("<available> KB of <total> KB").
struct AboutTexts {
  std::string System;
  std::string Processor;
  std::string Memory;
};

AboutTexts MakeAboutTexts(const SystemInfo& info);

}  // namespace zamo
