#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/fuzz/CommandLineFuzzChecks.h"

namespace {

// libFuzzer's own paths (corpus folders, inputs, -dict=, -artifact_prefix= ...) made
// absolute, as the fuzzer changes its folder before libFuzzer reads or writes them.
void MakePathsAbsolute(int& argc, char**& argv) {
  static std::vector<std::string> kept;
  static std::vector<char*> pointers;
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    const std::size_t eq = arg.find('=') + 1;
    if (i > 0 && arg[0] != '-') {
      arg = std::filesystem::absolute(arg).string();
    } else if ((arg.rfind("-dict=", 0) == 0 || arg.rfind("-artifact_prefix=", 0) == 0 ||
                arg.rfind("-exact_artifact_path=", 0) == 0) &&
               eq < arg.size()) {
      arg = arg.substr(0, eq) + std::filesystem::absolute(arg.substr(eq)).string() + (arg.back() == '/' ? "/" : "");
    }
    kept.push_back(arg);
  }
  for (std::string& arg : kept) pointers.push_back(arg.data());
  pointers.push_back(nullptr);
  argv = pointers.data();
}

std::string scratchFolder;

}  // namespace

// The fuzzer works in a scratch folder of its own, which holds what its command lines write
// (in memory where /dev/shm exists, as the writer flushes every file) and goes at a normal end.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  MakePathsAbsolute(*argc, *argv);
  scratchFolder = access("/dev/shm", W_OK) == 0 ? "/dev/shm/zamo-cli-fuzz-XXXXXX" : "/tmp/zamo-cli-fuzz-XXXXXX";
  if (mkdtemp(scratchFolder.data()) == nullptr || chdir(scratchFolder.c_str()) != 0) std::abort();
  std::atexit([] {
    std::error_code error;
    std::filesystem::remove_all(scratchFolder, error);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zamo::fuzz::CheckCommandLine(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
