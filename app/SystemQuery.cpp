#include "app/SystemQuery.h"

#include <sched.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace zamo {

namespace {

// The value after "key<blanks>:" on the first line of /proc/cpuinfo that starts with key.
std::string CpuInfoValue(const std::string& key) {
  std::ifstream in("/proc/cpuinfo");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(key, 0) != 0) continue;
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    const std::size_t start = line.find_first_not_of(' ', colon + 1);
    return start == std::string::npos ? std::string() : line.substr(start);
  }
  return {};
}

int ToInt(const std::string& text) {
  try {
    return std::stoi(text);
  } catch (const std::exception&) {
    return 0;
  }
}

}  // namespace

int ProcessorTypeOfFamily(int family) {
  if (family == 3) return 386;
  if (family == 4) return 486;
  if (family == 5) return 586;
  if (family >= 6) return 686;
  return 0;
}

SystemInfo QueryLinuxSystem() {
  SystemInfo info;
  struct sysinfo memory {};
  if (sysinfo(&memory) == 0) {
    info.TotalMemory = static_cast<std::uint64_t>(memory.totalram) * memory.mem_unit;
    info.AvailableMemory = static_cast<std::uint64_t>(memory.freeram) * memory.mem_unit;
  }
  // MemAvailable counts what can be had without swapping, which is what "available" means.
  std::ifstream meminfo("/proc/meminfo");
  for (std::string key; meminfo >> key;) {
    std::uint64_t kilobytes = 0;
    meminfo >> kilobytes;
    if (key == "MemAvailable:") info.AvailableMemory = kilobytes * 1024;
    meminfo.ignore(256, '\n');
  }

  info.ProcessorType = ProcessorTypeOfFamily(ToInt(CpuInfoValue("cpu family")));
  info.ProcessorRevision = ToInt(CpuInfoValue("stepping"));
  info.ProcessorModel = CpuInfoValue("model name");
  const long online = sysconf(_SC_NPROCESSORS_ONLN);
  info.ProcessorCount = online > 0 ? static_cast<int>(online) : 1;
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    info.ProcessorMask = 0;
    for (int cpu = 0; cpu < 64; ++cpu) {
      if (CPU_ISSET(cpu, &set)) info.ProcessorMask |= std::uint64_t{1} << cpu;
    }
  }
  struct utsname names {};
  if (uname(&names) == 0) info.SystemName = std::string(names.sysname) + " " + names.release;
  return info;
}

}  // namespace zamo
