#include "ui/AboutTexts.h"

namespace zamo {

AboutTexts MakeAboutTexts(const SystemInfo& info) {
  AboutTexts texts;
  texts.System = info.SystemName;
  if (info.ProcessorCount > 1) texts.Processor = std::to_string(info.ProcessorCount) + " ";
  texts.Processor += info.ProcessorModel + ", Mask: " + std::to_string(info.ProcessorMask) +
                     ", Rev.: " + std::to_string(info.ProcessorRevision);
  texts.Memory =
      std::to_string(info.AvailableMemory / 1024) + " KB of " + std::to_string(info.TotalMemory / 1024) + " KB";
  return texts;
}

}  // namespace zamo
