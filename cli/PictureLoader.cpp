#include "cli/PictureLoader.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>
#include <vector>

#include "model/ZamoError.h"

namespace zamo::cli {

namespace {

namespace fs = std::filesystem;

// The places the module is looked for, the first that exists taken: beside the program (the
// build folder), then the installed library folder.
std::vector<std::string> Candidates(const std::string& programFolder) {
  const fs::path folder(programFolder);
  return {(folder / ZAMO_PICTURE_MODULE).string(),
          (folder / ZAMO_PICTURE_MODULE_INSTALLED / ZAMO_PICTURE_MODULE).lexically_normal().string()};
}

}  // namespace

PictureLoader::~PictureLoader() {
  // The application ends while the module that made it is still loaded.
  functions_.reset();
}

const PictureFunctions& PictureLoader::Functions() {
  if (functions_) return *functions_;
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  const std::vector<std::string> candidates = Candidates(error ? std::string(".") : program.parent_path().string());
  std::string tried;
  for (const std::string& path : candidates) {
    if (!fs::exists(path, error)) {
      tried += (tried.empty() ? "" : ", ") + path;
      continue;
    }
    // The module stays loaded to the end of the program: the functions it made live in it.
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) throw ZamoError("The picture module " + path + " cannot be loaded: " + dlerror());
    using EntryPoint = void (*)(int*, char**, PictureFunctions*);
    const auto entry = reinterpret_cast<EntryPoint>(dlsym(module, kPictureEntryPoint));
    if (entry == nullptr) throw ZamoError("The picture module " + path + " has no entry point");
    PictureFunctions functions;
    entry(&argc_, argv_, &functions);
    functions_ = std::move(functions);
    return *functions_;
  }
  throw ZamoError("The picture module is missing (looked for " + tried + ")");
}

}  // namespace zamo::cli
