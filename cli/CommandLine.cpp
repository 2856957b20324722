#include "cli/CommandLine.h"

#include <algorithm>
#include <cstdint>
#include <sstream>

#include "model/Conversions.h"
#include "model/EscapedText.h"
#include "model/Limits.h"
#include "optimize/LeastSquaresFit.h"
#include "optimize/ModelSelection.h"
#include "optimize/PlotData.h"
#include "optimize/SeriesFit.h"

namespace zamo::cli {

namespace {

// How an option's value is checked and converted.
enum class OptionKind {
  Flag,          // no value
  Text,          // any text, such as a path
  LineText,      // a text a project file holds on one line
  Word,          // one of the option's words
  WholeNumber,   // from Lowest to Highest, or one of the option's words
  Decimal,       // a decimal number; Problem says what the option takes
  ConstantList,  // "k3,k4,k10" or ranges "k1-k14"
  FreeList,      // "k1,k3,k15", no ranges
};

// A word an option takes and what it stands for: an enumerator, or a number.
struct OptionWord {
  std::string Text;
  int Value = 0;
  template <typename T>
  OptionWord(std::string_view text, T value) : Text(text), Value(static_cast<int>(value)) {}
};

struct OptionInfo {
  const char* Name;
  OptionKind Kind = OptionKind::Flag;
  std::vector<OptionWord> Words = {};
  int Lowest = 0;
  int Highest = 0;
  const char* Problem = "";
  const char* Excludes = nullptr;  // an option that may not be given with this one
  // The option's line in the usage's list of options: the value's name and the help text
  // (further lines after a line feed); empty for the options of one command.
  const char* ValueName = "";
  const char* Help = "";
};

// What --experiment both stands for: the shown experiment beside the other.
constexpr int kBothExperiments = -1;
// What --top all stands for: every model.
constexpr int kEveryModel = -1;

const OptionInfo kExperiment{.Name = "--experiment",
                             .Kind = OptionKind::Word,
                             .Words = {{"left", Side::Left}, {"right", Side::Right}},
                             .Help = "the shown experiment (default: the one the read selects)"};
const OptionInfo kPlotExperiments{.Name = "--experiment",
                                  .Kind = OptionKind::Word,
                                  .Words = {{"left", Side::Left}, {"right", Side::Right}, {"both", kBothExperiments}}};
const OptionInfo kOutput{.Name = "-o",
                         .Kind = OptionKind::Text,
                         .ValueName = "FILE",
                         .Help =
                             "output file, replaced atomically; - is standard output (a\n"
                             "picture there is a PNG), and so is an open descriptor such as\n"
                             "/dev/stdout or /dev/fd/N, which is written through, never replaced"};
const OptionInfo kDateTime{.Name = "--date-time",
                           .Kind = OptionKind::Text,
                           .ValueName = "TEXT",
                           .Help =
                               "\"dd.mm.yy hh:mm:ss\" for the written \"Act. Date/Time\" line\n"
                               "(and an import's date) instead of the current time"};
const OptionInfo kHelp{.Name = "--help", .Help = "this text"};

const OptionInfo kZoomPosition{.Name = "--zoom-position",
                               .Kind = OptionKind::WholeNumber,
                               .Lowest = kZoomPositionMin,
                               .Highest = kZoomPositionMax};
const OptionInfo kSteps{.Name = "--steps",
                        .Kind = OptionKind::WholeNumber,
                        .Lowest = kOptimizationStepsMin,
                        .Highest = kOptimizationStepsMax};
const OptionInfo kPoints{
    .Name = "--points", .Kind = OptionKind::WholeNumber, .Lowest = kTablePointsMin, .Highest = kTablePointsMax};
const OptionInfo kStarts{.Name = "--starts", .Kind = OptionKind::WholeNumber, .Lowest = 1, .Highest = kMaxStarts};
const OptionInfo kTemperature{
    .Name = "--temperature", .Kind = OptionKind::Decimal, .Problem = "a temperature in degrees Celsius"};
const OptionInfo kWidth{
    .Name = "--width", .Kind = OptionKind::WholeNumber, .Lowest = kPictureSideMin, .Highest = kPictureSideMax};
const OptionInfo kHeight{
    .Name = "--height", .Kind = OptionKind::WholeNumber, .Lowest = kPictureSideMin, .Highest = kPictureSideMax};
const OptionInfo kDpi{
    .Name = "--dpi", .Kind = OptionKind::WholeNumber, .Lowest = kPictureDpiMin, .Highest = kPictureDpiMax};
const OptionInfo kTimeUnit{.Name = "--time-unit",
                           .Kind = OptionKind::Word,
                           .Words = {{TimeUnitSymbol(TimeUnit::Seconds), TimeUnit::Seconds},
                                     {TimeUnitSymbol(TimeUnit::Minutes), TimeUnit::Minutes},
                                     {TimeUnitSymbol(TimeUnit::Hours), TimeUnit::Hours}}};
const OptionInfo kTitle{.Name = "--title", .Kind = OptionKind::LineText};
const OptionInfo kAuthor{.Name = "--author", .Kind = OptionKind::LineText};
const OptionInfo kLeftName{.Name = "--left-name", .Kind = OptionKind::LineText};
const OptionInfo kRightName{.Name = "--right-name", .Kind = OptionKind::LineText};
const OptionInfo kFree{.Name = "--free", .Kind = OptionKind::FreeList};
const OptionInfo kFreeAll{.Name = "--free-all", .Excludes = "--free"};
const OptionInfo kExperiments{
    .Name = "--experiments",
    .Kind = OptionKind::Word,
    .Words = {{"both", FitExperiments::Both}, {"left", FitExperiments::Left}, {"right", FitExperiments::Right}}};
const OptionInfo kWeights{.Name = "--weights",
                          .Kind = OptionKind::Word,
                          .Words = {{"none", FitWeighting::None}, {"species", FitWeighting::Species}}};
const OptionInfo kSeriesMethod{
    .Name = "--method",
    .Kind = OptionKind::Word,
    .Words = {{"two-stage", SeriesMethod::TwoStage}, {"global", SeriesMethod::Global}, {"both", SeriesMethod::Both}}};
const OptionInfo kSelectionMethod{
    .Name = "--method",
    .Kind = OptionKind::Word,
    .Words = {{"exhaustive", SelectionMethod::Exhaustive}, {"backward", SelectionMethod::Backward}}};
const OptionInfo kCriterion{.Name = "--criterion",
                            .Kind = OptionKind::Word,
                            .Words = {{"aicc", SelectionCriterion::Aicc}, {"bic", SelectionCriterion::Bic}}};
const OptionInfo kTop{
    .Name = "--top", .Kind = OptionKind::WholeNumber, .Words = {{"all", kEveryModel}}, .Lowest = 1, .Highest = 65536};
const OptionInfo kThreads{.Name = "--threads", .Kind = OptionKind::WholeNumber, .Lowest = 1, .Highest = 256};
const OptionInfo kKeep{.Name = "--keep", .Kind = OptionKind::ConstantList};
const OptionInfo kCandidates{.Name = "--candidates", .Kind = OptionKind::ConstantList};
const OptionInfo kVaryK15K16{.Name = "--vary-k15-k16"};
const OptionInfo kWithoutK6K7K13K14{.Name = "--without-k6-k7-k13-k14"};
const OptionInfo kNoHighPriority{.Name = "--no-high-priority"};
const OptionInfo kProgress{.Name = "--progress"};
const OptionInfo kResiduals{.Name = "--residuals"};
const OptionInfo kLogTime{.Name = "--log-time"};
const OptionInfo kProfile{.Name = "--profile"};
const OptionInfo kJson{.Name = "--json"};
const OptionInfo kLeft{.Name = "--left", .Kind = OptionKind::Text};
const OptionInfo kRight{.Name = "--right", .Kind = OptionKind::Text};
const OptionInfo kConstants{.Name = "--constants", .Kind = OptionKind::Text};
const OptionInfo kPlot{.Name = "--plot", .Kind = OptionKind::Text};

// The options of the usage's list, in its order.
const std::vector<const OptionInfo*> kListedOptions = {&kExperiment, &kOutput, &kDateTime, &kHelp};

struct CommandInfo {
  const char* Name;
  // In the order their values are checked, which decides the message when several are wrong.
  std::vector<const OptionInfo*> Options;
  bool TakesProject = true;
  bool TakesTimes = false;
  bool TakesFiles = false;            // every positional is a file (series)
  const OptionInfo* Needs = nullptr;  // an option the command cannot do without
  const char* NeededValue = "";
  // The command's entry in the usage text; {NAME} stands for the values option NAME takes.
  const char* Usage = "";
};

const std::vector<CommandInfo> kCommands = {
    {.Name = "calc",
     .Options = {&kExperiment},
     .TakesTimes = true,
     .Usage = "  calc [PROJECT] [--experiment {--experiment}] T...\n"
              "      for each time T in seconds: T and the calculated fractions of A..H (%.20Le)\n"},
    {.Name = "deviation",
     .Options = {&kExperiment},
     .Usage = "  deviation [PROJECT] [--experiment {--experiment}]\n"
              "      the total deviation, then per species: letter, Dev. and abs(Dev.) (tab-separated)\n"},
    {.Name = "report",
     .Options = {&kExperiment},
     .Usage = "  report [PROJECT] [--experiment {--experiment}]\n"
              "      the lines of the full output report\n"},
    {.Name = "table",
     .Options = {&kPoints, &kOutput},
     .Usage = "  table [PROJECT] [--points N] [-o OUT.csv]\n"
              "      the result table as comma-separated text (RFC 4180, \".\" decimals): per present\n"
              "      experiment and measured row the time in minutes and seconds, observed,\n"
              "      calculated and residual A..H in %; then the calculated curves at N evenly\n"
              "      spaced times from 0 to the last reaction time ({--points}, default 101)\n"},
    {.Name = "save",
     .Options = {&kOutput, &kDateTime},
     .Usage = "  save [PROJECT] [-o OUT.zam]\n"
              "      evaluates every present experiment and writes the project text to OUT\n"
              "      (replaced atomically) or to standard output\n"},
    {.Name = "optimize",
     .Options = {&kSteps, &kVaryK15K16, &kWithoutK6K7K13K14, &kNoHighPriority, &kProgress, &kOutput, &kDateTime},
     .Usage = "  optimize [PROJECT] [--steps N] [--vary-k15-k16] [--without-k6-k7-k13-k14]\n"
              "           [--no-high-priority] [--progress] [-o OUT.zam]\n"
              "      fits the rate constants (default: 15 steps, k15 and k16 kept, G and H\n"
              "      included, high priority for A and B) and prints k1..k16 (%.20Le); with\n"
              "      --progress first one line per cycle: position (0..1000) and relative\n"
              "      optimization in percent; with -o also writes the project. Ctrl+C stops the\n"
              "      run after the current cycle and keeps what it reached\n"},
    {.Name = "import",
     .Options = {&kTemperature, &kTitle, &kAuthor, &kLeftName, &kRightName, &kLeft, &kRight, &kConstants, &kOutput,
                 &kDateTime},
     .TakesProject = false,
     .Usage = "  import [--left LEFT.dat] [--right RIGHT.dat] [--title T] [--author A]\n"
              "         [--left-name N] [--right-name N] [--constants PROJECT.zam]\n"
              "         [--temperature C] [-o OUT.zam]\n"
              "      builds a project from experimental data files as the import dialog does and\n"
              "      writes it to OUT or to standard output; warnings go to standard error.\n"
              "      LEFT and RIGHT may be tables (.csv, .tsv, .txt: the time in minutes, then A..G\n"
              "      in %, one row per line, a header line allowed); without a .dat file the rate\n"
              "      constants, the temperature and the names come from PROJECT (default: the\n"
              "      built-in example), and --temperature sets the temperature in degrees Celsius\n"},
    {.Name = "fit",
     .Options = {&kStarts, &kFreeAll, &kExperiments, &kWeights, &kFree, &kVaryK15K16, &kProfile, &kJson, &kOutput,
                 &kDateTime},
     .Usage = "  fit [PROJECT] [--free LIST | --free-all] [--vary-k15-k16]\n"
              "      [--experiments {--experiments}] [--weights {--weights}] [--profile]\n"
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
              "      them ({--starts}, default 8) and reports how many reached the best SSR; -o writes\n"
              "      the project with the fitted constants. Ctrl+C stops after the current\n"
              "      iteration and keeps what was reached, marked \"stopped\"\n"},
    {.Name = "select",
     .Options = {&kExperiments, &kWeights, &kSelectionMethod, &kCriterion, &kTop, &kThreads, &kKeep, &kCandidates,
                 &kVaryK15K16, &kJson, &kOutput, &kDateTime},
     .Usage = "  select [PROJECT] [--candidates LIST] [--keep LIST] [--vary-k15-k16]\n"
              "         [--criterion {--criterion}] [--method {--method}]\n"
              "         [--experiments {--experiments}] [--weights {--weights}] [--top N|all]\n"
              "         [--threads N] [--json] [-o OUT.zam]\n"
              "      which pathways the data support: fits every subset of the candidate\n"
              "      constants (default: the constants the fit frees; LIST: k3,k4,k10 or ranges\n"
              "      k1-k14) with the others switched off (0), --keep LIST in every model, and\n"
              "      ranks the models by AICc (or BIC): per model Delta, weight, p, SSR and the\n"
              "      pathways switched off (the best N, default 10); per pathway the inclusion\n"
              "      probability, the drop-one F test and the model-averaged constant. --method\n"
              "      backward drops one pathway at a time instead. -o writes the project with the\n"
              "      best model's constants. Ctrl+C stops and ranks the models fitted so far\n"},
    {.Name = "series",
     .Options = {&kFreeAll, &kWeights, &kSeriesMethod, &kFree, &kVaryK15K16, &kJson, &kPlot},
     .TakesProject = false,
     .TakesFiles = true,
     .Usage = "  series SERIES.zams | PROJECT.zam... [--method {--method}]\n"
              "         [--free LIST | --free-all] [--vary-k15-k16] [--weights {--weights}]\n"
              "         [--json] [--plot OUT.png|OUT.svg|OUT.pdf]\n"
              "      activation parameters of every pathway from projects at several\n"
              "      temperatures (a series file lists them, one path per line): per pathway Ea,\n"
              "      log10 A, Delta H, Delta S and the correlation of Ea with ln A, by the\n"
              "      two-stage method (each project fitted, then ln k against 1/T) and by one\n"
              "      global fit of all projects' data; then per temperature the fitted\n"
              "      constants. Free constants and weighting as for fit. --json prints one JSON\n"
              "      object instead; --plot writes the Arrhenius plot\n"},
    {.Name = "graph",
     .Options = {&kExperiment, &kZoomPosition, &kOutput},
     .Needs = &kOutput,
     .NeededValue = "OUT.bmp",
     .Usage = "  graph [PROJECT] [--experiment {--experiment}] [--zoom-position P] -o OUT.bmp\n"
              "      writes the enlarged plot as the main window's \"Save Graph\" does: an 800x600\n"
              "      BMP picture at zoom bar position P ({--zoom-position}; default: the project's remembered\n"
              "      zoom of the shown experiment)\n"},
    {.Name = "plot",
     .Options = {&kPlotExperiments, &kResiduals, &kLogTime, &kWidth, &kHeight, &kDpi, &kTimeUnit, &kOutput},
     .Needs = &kOutput,
     .NeededValue = "OUT.png, OUT.svg or OUT.pdf",
     .Usage = "  plot [PROJECT] [--experiment {--experiment}] [--residuals] [--time-unit {--time-unit}]\n"
              "       [--log-time] [--width W --height H --dpi D] -o OUT.png|OUT.svg|OUT.pdf\n"
              "      writes the plot window's figure: calculated curves over the measured points\n"
              "      (both experiments side by side with \"both\"), with --residuals the panel of\n"
              "      observed - calculated; time in minutes unless --time-unit, logarithmic with\n"
              "      --log-time. The format follows the extension; W x H pixels ({--width},\n"
              "      default 2400 x 1800) at D dpi ({--dpi}, default 300); SVG and PDF are\n"
              "      drawings of the same size in inches\n"},
};

const CommandInfo* FindCommand(const std::string& name) {
  for (const CommandInfo& info : kCommands) {
    if (name == info.Name) return &info;
  }
  return nullptr;
}

const OptionInfo* FindOption(const CommandInfo& command, const std::string& name) {
  for (const OptionInfo* option : command.Options) {
    if (name == option->Name) return option;
  }
  return nullptr;
}

// The values an option takes, as the usage shows them: "left|right", "2..10001".
std::string AllowedValues(const OptionInfo& option) {
  if (option.Kind == OptionKind::WholeNumber) {
    return std::to_string(option.Lowest) + ".." + std::to_string(option.Highest);
  }
  std::string text;
  for (const OptionWord& word : option.Words) text += (text.empty() ? "" : "|") + word.Text;
  return text;
}

// "aicc or bic", "both, left or right".
std::string ListOfWords(const std::vector<OptionWord>& words) {
  std::string text;
  for (std::size_t n = 0; n < words.size(); ++n) {
    text += (n == 0 ? "" : n + 1 == words.size() ? " or " : ", ") + words[n].Text;
  }
  return text;
}

// The command's usage entry with each {NAME} replaced by the values option NAME takes.
std::string CommandUsage(const CommandInfo& command) {
  std::string text = command.Usage;
  for (std::size_t open = text.find('{'); open != std::string::npos; open = text.find('{', open)) {
    const std::size_t close = text.find('}', open);
    const std::string values = AllowedValues(*FindOption(command, text.substr(open + 1, close - open - 1)));
    text.replace(open, close + 1 - open, values);
    open += values.size();
  }
  return text;
}

// An option's entry in the usage's list of options: its name and value in a column, then
// the help text, every further line under the first.
std::string OptionUsage(const OptionInfo& option) {
  constexpr std::size_t kColumn = 23;
  std::string head = option.Name;
  const std::string value = option.Kind == OptionKind::Word ? AllowedValues(option) : option.ValueName;
  if (!value.empty()) head += " " + value;
  std::string help = option.Help;
  for (std::size_t feed = help.find('\n'); feed != std::string::npos; feed = help.find('\n', feed + 1)) {
    help.insert(feed + 1, std::string(kColumn + 4, ' '));
  }
  return "  " + head + std::string(kColumn - std::min(kColumn, head.size()), ' ') + "  " + help + "\n";
}

bool LooksLikeOption(const std::string& arg) {
  // "-5" and "-.5" are numbers (refused later as times), "-" alone is a name.
  return arg.size() >= 2 && arg[0] == '-' && !(arg[1] >= '0' && arg[1] <= '9') && arg[1] != '.';
}

int WordValue(const OptionInfo& option, const std::string& text) {
  for (const OptionWord& word : option.Words) {
    if (text == word.Text) return word.Value;
  }
  throw UsageError(std::string(option.Name) + " takes " + ListOfWords(option.Words));
}

int WholeNumber(const OptionInfo& option, const std::string& text) {
  for (const OptionWord& word : option.Words) {
    if (text == word.Text) return word.Value;
  }
  const UsageError problem(std::string(option.Name) + " takes a whole number from " + std::to_string(option.Lowest) +
                           " to " + std::to_string(option.Highest));
  std::int32_t value = 0;
  try {
    value = StrToInt(text);
  } catch (const std::exception&) {
    throw problem;
  }
  if (value < option.Lowest || value > option.Highest) throw problem;
  return value;
}

// "k7": 7; 0 where the text names no rate constant.
int ConstantIndex(const std::string& text) {
  int value = 0;
  std::size_t used = 0;
  try {
    if (text.size() >= 2 && text[0] == 'k') value = std::stoi(text.substr(1), &used);
  } catch (const std::exception&) {
    return 0;
  }
  return value >= 1 && value <= kRateConstantCount && used + 1 == text.size() ? value : 0;
}

// "k3,k4,k10" or with ranges "k1-k14": the constants named, increasing, each once.
std::vector<int> ConstantList(const OptionInfo& option, const std::string& list) {
  std::vector<int> indexes;
  std::istringstream items(list);
  std::string item;
  const auto index = [&](const std::string& text) {
    const int value = ConstantIndex(text);
    if (value == 0) {
      throw UsageError(std::string(option.Name) +
                       " takes constants k1..k16 or ranges like k1-k14, separated by commas, not '" + item + "'");
    }
    return value;
  };
  while (std::getline(items, item, ',')) {
    const bool ranges = option.Kind == OptionKind::ConstantList;
    const std::size_t dash = ranges ? item.find('-') : std::string::npos;
    if (!ranges && ConstantIndex(item) == 0) {
      throw UsageError(std::string(option.Name) + " takes constants k1..k16 separated by commas, not '" +
                       Excerpt(item) + "'");
    }
    const int first = index(item.substr(0, dash));
    const int last = dash == std::string::npos ? first : index(item.substr(dash + 1));
    if (last < first) {
      throw UsageError(std::string(option.Name) + " takes ranges from the lower constant up, not '" + item + "'");
    }
    for (int i = first; i <= last; ++i) indexes.push_back(i);
  }
  std::sort(indexes.begin(), indexes.end());
  indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
  return indexes;
}

// Checks the value given to an option and converts it as its kind says. Throws UsageError.
void Convert(const OptionInfo& option, const CommandLine& line, OptionValue& value) {
  const std::string& text = value.Text;
  switch (option.Kind) {
    case OptionKind::Flag:
      if (option.Excludes != nullptr && line.Has(option.Excludes)) {
        throw UsageError(std::string(option.Excludes) + " and " + option.Name + " exclude each other");
      }
      break;
    case OptionKind::Text:
      break;
    case OptionKind::LineText:
      if (text.find_first_of("\r\n") != std::string::npos) {
        throw UsageError(std::string(option.Name) +
                         " cannot hold a line break (CR or LF): a project file holds it on one line");
      }
      break;
    case OptionKind::Word:
      value.Number = WordValue(option, text);
      break;
    case OptionKind::WholeNumber:
      value.Number = WholeNumber(option, text);
      break;
    case OptionKind::Decimal:
      if (!TryStrToFloat(text, value.Decimal)) throw UsageError(std::string(option.Name) + " takes " + option.Problem);
      break;
    case OptionKind::ConstantList:
    case OptionKind::FreeList:
      value.Constants = ConstantList(option, text);
      break;
  }
}

}  // namespace

std::optional<std::string> CommandLine::Value(const std::string& name) const {
  const auto it = Options.find(name);
  if (it == Options.end()) return std::nullopt;
  return it->second.Text;
}

std::optional<int> CommandLine::Number(const std::string& name) const {
  const auto it = Options.find(name);
  if (it == Options.end()) return std::nullopt;
  return it->second.Number;
}

std::optional<Real> CommandLine::Decimal(const std::string& name) const {
  const auto it = Options.find(name);
  if (it == Options.end()) return std::nullopt;
  return it->second.Decimal;
}

std::optional<std::vector<int>> CommandLine::Constants(const std::string& name) const {
  const auto it = Options.find(name);
  if (it == Options.end()) return std::nullopt;
  return it->second.Constants;
}

std::optional<Side> CommandLine::Experiment() const {
  const std::optional<int> value = Number("--experiment");
  if (!value || *value == kBothExperiments) return std::nullopt;
  return static_cast<Side>(*value);
}

std::string UsageText() {
  std::string text =
      "usage: zamo-cli COMMAND [PROJECT.zam] [OPTIONS]\n"
      "\n"
      "Without PROJECT the command works on the built-in example project. The project is\n"
      "read as the main window reads it, so every number equals what the window shows.\n"
      "\n"
      "commands:\n";
  // The commands that read and write one project first, the pictures last.
  for (const char* name : {"calc", "deviation", "report", "table", "save", "optimize", "import", "fit", "select",
                           "series", "graph", "plot"}) {
    text += CommandUsage(*FindCommand(name));
  }
  text += "\noptions:\n";
  for (const OptionInfo* option : kListedOptions) text += OptionUsage(*option);
  return text + "\nexit status: 0 success, 1 error (the message names the file and line), 2 wrong usage\n";
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  if (std::find(args.begin(), args.end(), kHelp.Name) != args.end() ||
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
    if (option->Kind != OptionKind::Flag) {
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
    line.Options[name].Text = value;
  }
  // Converted once every option is known, the last of a repeated one counting.
  for (const OptionInfo* option : command->Options) {
    if (const auto it = line.Options.find(option->Name); it != line.Options.end()) Convert(*option, line, it->second);
  }
  if (command->Needs != nullptr && !line.Has(command->Needs->Name)) {
    throw UsageError(line.Command + " needs " + command->Needs->Name + " " + command->NeededValue);
  }

  if (command->TakesFiles) {
    if (positionals.empty()) throw UsageError(line.Command + " needs a series file or the project files");
    line.Files = positionals;
    return line;
  }

  // calc: the first positional is the project unless it reads as a number (a time).
  std::size_t next = 0;
  Real ignored = 0;
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
