#pragma once

#include <optional>
#include <string>

#include "cli/PictureModule.h"

namespace zamo::cli {

// Loads the picture module on first use: beside the program (the build folder) or in the
// installed library folder. The module stays loaded until the program ends; its
// application ends with this object.
class PictureLoader {
 public:
  PictureLoader(int& argc, char** argv) : argc_(argc), argv_(argv) {}
  ~PictureLoader();
  PictureLoader(const PictureLoader&) = delete;
  PictureLoader& operator=(const PictureLoader&) = delete;

  // The module's functions. Throws ZamoError naming the module when it cannot be loaded.
  const PictureFunctions& Functions();

 private:
  int& argc_;
  char** argv_;
  std::optional<PictureFunctions> functions_;
};

}  // namespace zamo::cli
