#pragma once

#include "app/QtPlatform.h"

namespace zamo::bench {

// The desktop platform, but on a screen as large as the windows measured.
class FullHdPlatform : public QtPlatform {
 public:
  SystemInfo QuerySystem() override {
    SystemInfo info = QtPlatform::QuerySystem();
    info.ScreenWidth = 1920;
    info.ScreenHeight = 1080;
    return info;
  }
};

// Real time per iteration of the finished benchmarks of this run (their fastest
// repetition), and figures a benchmark measured itself, by name.
double MillisecondsOf(const char* name);
void RecordMilliseconds(const char* name, double milliseconds);

inline constexpr const char* kStepperRelease = "StepperRelease/1920x1080";
inline constexpr const char* kCoreOptimization = "DefaultOptimization/Core";
inline constexpr const char* kDialogOptimization = "DefaultOptimization/Dialog";

}  // namespace zamo::bench
