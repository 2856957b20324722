#include "cli/CommandLine.h"

#include <algorithm>
#include <array>

#include "model/Conversions.h"
#include "model/EscapedText.h"
#include "model/Limits.h"
#include "optimize/LeastSquaresFit.h"

namespace zamo::cli {

namespace {

struct OptionInfo {
  const char* Name;
  bool TakesValue;
};

struct CommandInfo {
  const char* Name;
  std::vector<OptionInfo> Options;
  bool TakesProject;
  bool TakesTimes;
  bool TakesFiles = false;  // every positional is a file (series)
};

const OptionInfo kExperiment{"--experiment", true};
const OptionInfo kOutput{"-o", true};
const OptionInfo kDateTime{"--date-time", true};

const std::array<CommandInfo, 12> kCommands = {{
    {"calc", {kExperiment}, true, true},
    {"deviation", {kExperiment}, true, false},
    {"report", {kExperiment}, true, false},
    {"table", {{"--points", true}, kOutput}, true, false},
    {"save", {kOutput, kDateTime}, true, false},
    {"optimize",
     {{"--steps", true},
      {"--vary-k15-k16", false},
      {"--without-k6-k7-k13-k14", false},
      {"--no-high-priority", false},
      {"--progress", false},
      kOutput,
      kDateTime},
     true,
     false},
    {"import",
     {{"--left", true},
      {"--right", true},
      {"--title", true},
      {"--author", true},
      {"--left-name", true},
      {"--right-name", true},
      {"--constants", true},
      {"--temperature", true},
      kOutput,
      kDateTime},
     false,
     false},
    {"graph", {kExperiment, {"--zoom-position", true}, kOutput}, true, false},
    {"plot",
     {kExperiment,
      {"--residuals", false},
      {"--time-unit", true},
      {"--log-time", false},
      {"--width", true},
      {"--height", true},
      {"--dpi", true},
      kOutput},
     true,
     false},
    {"fit",
     {{"--free", true},
      {"--free-all", false},
      {"--vary-k15-k16", false},
      {"--experiments", true},
      {"--weights", true},
      {"--profile", false},
      {"--starts", true},
      {"--json", false},
      kOutput,
      kDateTime},
     true,
     false},
    {"select",
     {{"--candidates", true},
      {"--keep", true},
      {"--vary-k15-k16", false},
      {"--criterion", true},
      {"--method", true},
      {"--experiments", true},
      {"--weights", true},
      {"--top", true},
      {"--threads", true},
      {"--json", false},
      kOutput,
      kDateTime},
     true,
     false},
    {"series",
     {{"--method", true},
      {"--free", true},
      {"--free-all", false},
      {"--vary-k15-k16", false},
      {"--weights", true},
      {"--json", false},
      {"--plot", true}},
     false,
     false,
     true},
}};

const CommandInfo* FindCommand(const std::string& name) {
  for (const CommandInfo& info : kCommands) {
    if (name == info.Name) return &info;
  }
  return nullptr;
}

const OptionInfo* FindOption(const CommandInfo& command, const std::string& name) {
  for (const OptionInfo& option : command.Options) {
    if (name == option.Name) return &option;
  }
  return nullptr;
}

bool LooksLikeOption(const std::string& arg) {
  // "-5" and "-.5" are numbers (refused later as times), "-" alone is a name.
  return arg.size() >= 2 && arg[0] == '-' && !(arg[1] >= '0' && arg[1] <= '9') && arg[1] != '.';
}

// An option that must be a whole number within [lowest, highest], when given.
void CheckWholeNumber(const CommandLine& line, const std::string& name, int lowest, int highest) {
  const std::optional<std::string> text = line.Value(name);
  if (!text) return;
  const std::string problem =
      name + " takes a whole number from " + std::to_string(lowest) + " to " + std::to_string(highest);
  std::int32_t value = 0;
  try {
    value = StrToInt(*text);
  } catch (const std::exception&) {
    throw UsageError(problem);
  }
  if (value < lowest || value > highest) throw UsageError(problem);
}

}  // namespace

std::optional<std::string> CommandLine::Value(const std::string& name) const {
  const auto it = Options.find(name);
  if (it == Options.end()) return std::nullopt;
  return it->second;
}

std::optional<Side> CommandLine::Experiment() const {
  const std::optional<std::string> value = Value("--experiment");
  if (!value || *value == "both") return std::nullopt;
  return *value == "left" ? Side::Left : Side::Right;
}

std::string UsageText() {
  return "usage: zamo-cli COMMAND [PROJECT.zam] [OPTIONS]\n"
         "\n"
         "Without PROJECT the command works on the built-in example project. The project is\n"
         "read as the main window reads it, so every number equals what the window shows.\n"
         "\n"
         "commands:\n"
         "  calc [PROJECT] [--experiment left|right] T...\n"
         "      for each time T in seconds: T and the calculated fractions of A..H (%.20Le)\n"
         "  deviation [PROJECT] [--experiment left|right]\n"
         "      the total deviation, then per species: letter, Dev. and abs(Dev.) (tab-separated)\n"
         "  report [PROJECT] [--experiment left|right]\n"
         "      the lines of the full output report\n"
         "  table [PROJECT] [--points N] [-o OUT.csv]\n"
         "      the result table as comma-separated text (RFC 4180, \".\" decimals): per present\n"
         "      experiment and measured row the time in minutes and seconds, observed,\n"
         "      calculated and residual A..H in %; then the calculated curves at N evenly\n"
         "      spaced times from 0 to the last reaction time (2..10001, default 101)\n"
         "  save [PROJECT] [-o OUT.zam]\n"
         "      evaluates every present experiment and writes the project text to OUT\n"
         "      (replaced atomically) or to standard output\n"
         "  optimize [PROJECT] [--steps N] [--vary-k15-k16] [--without-k6-k7-k13-k14]\n"
         "           [--no-high-priority] [--progress] [-o OUT.zam]\n"
         "      fits the rate constants (default: 15 steps, k15 and k16 kept, G and H\n"
         "      included, high priority for A and B) and prints k1..k16 (%.20Le); with\n"
         "      --progress first one line per cycle: position (0..1000) and relative\n"
         "      optimization in percent; with -o also writes the project. Ctrl+C stops the\n"
         "      run after the current cycle and keeps what it reached\n"
         "  import [--left LEFT.dat] [--right RIGHT.dat] [--title T] [--author A]\n"
         "         [--left-name N] [--right-name N] [--constants PROJECT.zam]\n"
         "         [--temperature C] [-o OUT.zam]\n"
         "      builds a project from experimental data files as the import dialog does and\n"
         "      writes it to OUT or to standard output; warnings go to standard error.\n"
         "      LEFT and RIGHT may be tables (.csv, .tsv, .txt: the time in minutes, then A..G\n"
         "      in %, one row per line, a header line allowed); without a .dat file the rate\n"
         "      constants, the temperature and the names come from PROJECT (default: the\n"
         "      built-in example), and --temperature sets the temperature in degrees Celsius\n"
         "  fit [PROJECT] [--free LIST | --free-all] [--vary-k15-k16]\n"
         "      [--experiments both|left|right] [--weights none|species] [--profile]\n"
         "      [--starts N] [--json] [-o OUT.zam]\n"
         "      least-squares fit of the rate constants with exact derivatives and bounds\n"
         "      k >= 0 to the experiments the project holds: the table of constants (start,\n"
         "      fitted, standard error, 95 % interval, flags such as \"not determined by the\n"
         "      data\"), the sums of squares and R^2, sigma, reduced chi2, dof, AICc, BIC, the\n"
         "      correlations above 0.95 and the outliers (|z| > 4); with --json one JSON\n"
         "      object instead. Free by default: the non-zero constants among k1..k14 (LIST:\n"
         "      k1,k3,k15 frees those, zero ones too). --weights species weights A..G each by\n"
         "      its own scatter; --profile adds profile-likelihood intervals; --starts N fits\n"
         "      from the project's constants and N - 1 more starts spread over 0.1 to 10 times\n"
         "      them (1..1000, default 8) and reports how many reached the best SSR; -o writes\n"
         "      the project with the fitted constants. Ctrl+C stops after the current\n"
         "      iteration and keeps what was reached, marked \"stopped\"\n"
         "  select [PROJECT] [--candidates LIST] [--keep LIST] [--vary-k15-k16]\n"
         "         [--criterion aicc|bic] [--method exhaustive|backward]\n"
         "         [--experiments both|left|right] [--weights none|species] [--top N|all]\n"
         "         [--threads N] [--json] [-o OUT.zam]\n"
         "      which pathways the data support: fits every subset of the candidate\n"
         "      constants (default: the constants the fit frees; LIST: k3,k4,k10 or ranges\n"
         "      k1-k14) with the others switched off (0), --keep LIST in every model, and\n"
         "      ranks the models by AICc (or BIC): per model Delta, weight, p, SSR and the\n"
         "      pathways switched off (the best N, default 10); per pathway the inclusion\n"
         "      probability, the drop-one F test and the model-averaged constant. --method\n"
         "      backward drops one pathway at a time instead. -o writes the project with the\n"
         "      best model's constants. Ctrl+C stops and ranks the models fitted so far\n"
         "  series SERIES.zams | PROJECT.zam... [--method two-stage|global|both]\n"
         "         [--free LIST | --free-all] [--vary-k15-k16] [--weights none|species]\n"
         "         [--json] [--plot OUT.png|OUT.svg|OUT.pdf]\n"
         "      activation parameters of every pathway from projects at several\n"
         "      temperatures (a series file lists them, one path per line): per pathway Ea,\n"
         "      log10 A, Delta H, Delta S and the correlation of Ea with ln A, by the\n"
         "      two-stage method (each project fitted, then ln k against 1/T) and by one\n"
         "      global fit of all projects' data; then per temperature the fitted\n"
         "      constants. Free constants and weighting as for fit. --json prints one JSON\n"
         "      object instead; --plot writes the Arrhenius plot\n"
         "  graph [PROJECT] [--experiment left|right] [--zoom-position P] -o OUT.bmp\n"
         "      writes the enlarged plot as the main window's \"Save Graph\" does: an 800x600\n"
         "      BMP picture at zoom bar position P (1..325; default: the project's remembered\n"
         "      zoom of the shown experiment)\n"
         "  plot [PROJECT] [--experiment left|right|both] [--residuals] [--time-unit s|min|h]\n"
         "       [--log-time] [--width W --height H --dpi D] -o OUT.png|OUT.svg|OUT.pdf\n"
         "      writes the plot window's figure: calculated curves over the measured points\n"
         "      (both experiments side by side with \"both\"), with --residuals the panel of\n"
         "      observed - calculated; time in minutes unless --time-unit, logarithmic with\n"
         "      --log-time. The format follows the extension; W x H pixels (100..8000,\n"
         "      default 2400 x 1800) at D dpi (30..1200, default 300); SVG and PDF are\n"
         "      drawings of the same size in inches\n"
         "\n"
         "options:\n"
         "  --experiment left|right  the shown experiment (default: the one the read selects)\n"
         "  -o FILE                  output file, replaced atomically; - is standard output (a\n"
         "                           picture there is a PNG), and so is an open descriptor such as\n"
         "                           /dev/stdout or /dev/fd/N, which is written through, never replaced\n"
         "  --date-time TEXT         \"dd.mm.yy hh:mm:ss\" for the written \"Act. Date/Time\" line\n"
         "                           (and an import's date) instead of the current time\n"
         "  --help                   this text\n"
         "\n"
         "exit status: 0 success, 1 error (the message names the file and line), 2 wrong usage\n";
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  if (std::find(args.begin(), args.end(), "--help") != args.end() ||
      std::find(args.begin(), args.end(), "-h") != args.end()) {
    line.Help = true;
    return line;
  }
  if (args.empty()) throw UsageError("no command given");
  line.Command = args[0];
  const CommandInfo* command = FindCommand(line.Command);
  if (command == nullptr) throw UsageError("unknown command '" + Excerpt(line.Command) + "'");

  std::vector<std::string> positionals;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!LooksLikeOption(arg)) {
      positionals.push_back(arg);
      continue;
    }
    std::string name = arg;
    std::optional<std::string> inlineValue;
    if (const std::size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = arg.substr(0, eq);
      inlineValue = arg.substr(eq + 1);
    }
    const OptionInfo* option = FindOption(*command, name);
    if (option == nullptr) throw UsageError("command " + line.Command + " has no option " + Excerpt(name));
    std::string value;
    if (option->TakesValue) {
      if (inlineValue) {
        value = *inlineValue;
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        throw UsageError("option " + Excerpt(name) + " needs a value");
      }
    } else if (inlineValue) {
      throw UsageError("option " + Excerpt(name) + " takes no value");
    }
    line.Options[name] = value;
  }

  Real ignored = 0;
  if (const auto experiment = line.Value("--experiment"); experiment && *experiment != "left" &&
                                                          *experiment != "right" &&
                                                          !(line.Command == "plot" && *experiment == "both")) {
    throw UsageError(line.Command == "plot" ? "--experiment takes left, right or both"
                                            : "--experiment takes left or right");
  }
  CheckWholeNumber(line, "--zoom-position", kZoomPositionMin, kZoomPositionMax);
  CheckWholeNumber(line, "--steps", kOptimizationStepsMin, kOptimizationStepsMax);
  CheckWholeNumber(line, "--points", kTablePointsMin, kTablePointsMax);
  CheckWholeNumber(line, "--starts", 1, kMaxStarts);
  if (const auto temperature = line.Value("--temperature"); temperature && !TryStrToFloat(*temperature, ignored)) {
    throw UsageError("--temperature takes a temperature in degrees Celsius");
  }
  if (line.Command == "graph" && !line.Has("-o")) throw UsageError("graph needs -o OUT.bmp");
  CheckWholeNumber(line, "--width", kPictureSideMin, kPictureSideMax);
  CheckWholeNumber(line, "--height", kPictureSideMin, kPictureSideMax);
  CheckWholeNumber(line, "--dpi", kPictureDpiMin, kPictureDpiMax);
  if (const auto unit = line.Value("--time-unit"); unit && *unit != "s" && *unit != "min" && *unit != "h") {
    throw UsageError("--time-unit takes s, min or h");
  }
  if (line.Command == "plot" && !line.Has("-o")) throw UsageError("plot needs -o OUT.png, OUT.svg or OUT.pdf");
  for (const char* field : {"--title", "--author", "--left-name", "--right-name"}) {
    if (const auto text = line.Value(field); text && text->find_first_of("\r\n") != std::string::npos) {
      throw UsageError(std::string(field) +
                       " cannot hold a line break (CR or LF): a project file holds it on one line");
    }
  }
  if (line.Has("--free") && line.Has("--free-all")) throw UsageError("--free and --free-all exclude each other");
  if (const auto experiments = line.Value("--experiments");
      experiments && *experiments != "both" && *experiments != "left" && *experiments != "right") {
    throw UsageError("--experiments takes both, left or right");
  }
  if (const auto weights = line.Value("--weights"); weights && *weights != "none" && *weights != "species") {
    throw UsageError("--weights takes none or species");
  }

  if (const auto method = line.Value("--method");
      method && line.Command == "series" && *method != "two-stage" && *method != "global" && *method != "both") {
    throw UsageError("--method takes two-stage, global or both");
  }
  if (const auto method = line.Value("--method");
      method && line.Command == "select" && *method != "exhaustive" && *method != "backward") {
    throw UsageError("--method takes exhaustive or backward");
  }
  if (const auto criterion = line.Value("--criterion"); criterion && *criterion != "aicc" && *criterion != "bic") {
    throw UsageError("--criterion takes aicc or bic");
  }
  if (const auto top = line.Value("--top"); top && *top != "all") CheckWholeNumber(line, "--top", 1, 65536);
  CheckWholeNumber(line, "--threads", 1, 256);
  if (command->TakesFiles) {
    if (positionals.empty()) throw UsageError(line.Command + " needs a series file or the project files");
    line.Files = positionals;
    return line;
  }

  // calc: the first positional is the project unless it reads as a number (a time).
  std::size_t next = 0;
  if (command->TakesProject && next < positionals.size() &&
      !(command->TakesTimes && TryStrToFloat(positionals[next], ignored))) {
    line.Project = positionals[next++];
  }
  if (command->TakesTimes) {
    line.Times.assign(positionals.begin() + static_cast<std::ptrdiff_t>(next), positionals.end());
    if (line.Times.empty()) throw UsageError("calc needs at least one time in seconds");
  } else if (next < positionals.size()) {
    throw UsageError("unexpected argument '" + Excerpt(positionals[next]) + "'");
  }
  return line;
}

}  // namespace zamo::cli
