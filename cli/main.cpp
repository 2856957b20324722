#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <iostream>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "cli/DescriptorOutput.h"
#ifdef ZAMO_CLI_WITH_PICTURES
#include "cli/PictureLoader.h"
#endif

namespace {

std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the stop flag is set from a signal handler");

extern "C" void RequestStop(int) { stopRequested.store(true); }

}  // namespace

int main(int argc, char** argv) {
  // Ctrl+C asks a running optimization to stop after its current cycle; a second one ends
  // the program as usual. Where the shell ignores SIGINT (a job started in the background),
  // it stays ignored.
  struct sigaction previous {};
  sigaction(SIGINT, nullptr, &previous);
  if (previous.sa_handler != SIG_IGN) {
    struct sigaction action {};
    action.sa_handler = RequestStop;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
  }

  zamo::cli::Environment env;
  env.Stop = &stopRequested;
  env.ProgressBar = isatty(STDERR_FILENO) == 1;
#ifdef ZAMO_CLI_WITH_PICTURES
  // The pictures come from a module loaded on first use, so that the other commands start
  // without the windows library.
  zamo::cli::PictureLoader pictures(argc, argv);
  env.SaveGraph = [&pictures](const std::string& path, const zamo::KineticProject& project, int zoomBarPosition) {
    pictures.Functions().SaveGraph(path, project, zoomBarPosition);
  };
  env.SaveArrheniusPlot = [&pictures](const std::string& path, const zamo::TemperatureSeries& series,
                                      const zamo::SeriesResult& result) {
    pictures.Functions().SaveArrheniusPlot(path, series, result);
  };
  env.SavePlot = [&pictures](const std::string& path, const zamo::KineticProject& project,
                             const zamo::PlotOptions& options, const zamo::PictureSize& size) {
    pictures.Functions().SavePlot(path, project, options, size);
  };
#endif
  zamo::cli::DescriptorOutput output(STDOUT_FILENO);
  std::ostream out(&output);
  env.OutputError = [&output] { return output.Error(); };
  const std::vector<std::string> args(argv + 1, argv + argc);
  return zamo::cli::Run(args, out, std::cerr, env);
}
