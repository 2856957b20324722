#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>
#include <string>

#include "cli/Commands.h"
#include "document/SeriesFile.h"
#include "model/PlatformTexts.h"
#include "optimize/SeriesFit.h"
#include "ui/PlotData.h"

namespace zamo::cli {

namespace {

constexpr Real kLn10 = 2.302585092994045684L;

std::string Format(const char* pattern, Real value) {
  if (!std::isfinite(value)) return "-";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, pattern, value);
  return buffer;
}

std::string Pad(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string WithError(const char* pattern, Real value, Real error) {
  return Format(pattern, value) + " +- " + Format(pattern, error);
}

SeriesSettings SettingsOf(const CommandLine& line) {
  SeriesSettings settings;
  const std::string method = line.Value("--method").value_or("both");
  settings.Method = method == "two-stage" ? SeriesMethod::TwoStage
                    : method == "global"  ? SeriesMethod::Global
                                          : SeriesMethod::Both;
  settings.Weighting = line.Value("--weights") == "species" ? FitWeighting::Species : FitWeighting::None;
  settings.VaryK15K16 = line.Has("--vary-k15-k16");
  if (const auto list = line.Value("--free")) {
    settings.Free = ParseFreeList(*list);
  } else if (line.Has("--free-all")) {
    settings.Free.emplace();
    settings.Free->Fill(true);
  }
  if (settings.Free && settings.VaryK15K16) (*settings.Free)[15] = (*settings.Free)[16] = true;
  return settings;
}

TemperatureSeries ReadProjects(const CommandLine& line) {
  const std::string& first = line.Files.front();
  const bool seriesFile = line.Files.size() == 1 && first.size() > 5 && first.substr(first.size() - 5) == ".zams";
  return seriesFile ? ReadSeries(first) : ReadSeriesProjects(line.Files);
}

void PrintParameters(std::ostream& out, const std::vector<ActivationParameters>& parameters,
                     const std::vector<std::string>& extra, const std::string& extraTitle) {
  out << Pad("Pathway", 9) << Pad("Ea (kJ/mol)", 22) << Pad("log10 A (A in 1/s)", 22) << Pad("dH (kJ/mol)", 22)
      << Pad("dS (J/mol/K)", 22) << Pad("r(Ea, ln A)", 13) << extraTitle << '\n';
  for (std::size_t n = 0; n < parameters.size(); ++n) {
    const ActivationParameters& p = parameters[n];
    out << Pad(RateConstantName(p.Index), 9) << Pad(WithError("%.2Lf", p.Ea / 1000, p.EaSe / 1000), 22)
        << Pad(WithError("%.3Lf", p.LnA / kLn10, p.LnASe / kLn10), 22)
        << Pad(WithError("%.2Lf", p.DeltaH / 1000, p.DeltaHSe / 1000), 22)
        << Pad(WithError("%.2Lf", p.DeltaS, p.DeltaSSe), 22) << Pad(Format("%.4Lf", p.CorrEaLnA), 13)
        << (n < extra.size() ? extra[n] : "") << '\n';
  }
}

void PrintText(std::ostream& out, const TemperatureSeries& series, const SeriesResult& result) {
  out << "Temperature series of " << series.size() << " projects at";
  for (const Real t : result.Temperatures) out << ' ' << Format("%.2Lf", t) << " K";
  out << "; T_ref = " << Format("%.2Lf", result.ReferenceTemperature) << " K\n";
  if (result.Stopped) out << "Stopped: what was reached is shown\n";
  // The global method starts from the two-stage lines; they are shown only when asked for.
  if (result.Method != SeriesMethod::Global && result.TwoStage) {
    out << "\nTwo-stage: each project fitted, then ln k against 1/T weighted by (k/SE)^2\n";
    std::vector<ActivationParameters> parameters;
    std::vector<std::string> fit;
    for (const ArrheniusLine& line : result.TwoStage->Lines) {
      parameters.push_back(line.Parameters);
      fit.push_back(Format("%.3Lf", line.ChiSquared) + " / " + std::to_string(line.Dof));
    }
    PrintParameters(out, parameters, fit, "chi2 / dof");
    if (!result.TwoStage->Undetermined.empty()) {
      out << "No line (k > 0 with an SE at fewer than two temperatures):";
      for (const int i : result.TwoStage->Undetermined) out << " k" << i;
      out << '\n';
    }
  }
  if (result.Global) {
    const GlobalSeriesResult& g = *result.Global;
    out << "\nGlobal fit of every project's data: SSR " << Format("%.4Lf", g.Ssr) << ", dof " << g.Dof << ", sigma "
        << Format("%.5Lg", g.Sigma) << ", " << (g.Converged ? "converged" : "not converged") << " after "
        << g.Iterations << " iterations\n";
    PrintParameters(out, g.Parameters, {}, "");
  }
  out << "\nPer temperature, the single fits:\n" << Pad("Constant", 10);
  for (const Real t : result.Temperatures) out << Pad(Format("%.2Lf K", t), 14);
  out << '\n';
  for (int i = 1; i <= kRateConstantCount; ++i) {
    bool free = false;
    for (const FitResult& fit : result.Single) {
      free = free || std::find(fit.Free.begin(), fit.Free.end(), i) != fit.Free.end();
    }
    if (!free) continue;
    out << Pad(RateConstantName(i), 10);
    for (const FitResult& fit : result.Single) out << Pad(Format("%.5Le", fit.K[i]), 14);
    out << '\n';
  }
  out << Pad("SSR", 10);
  for (const FitResult& fit : result.Single) out << Pad(Format("%.4Lf", fit.After.Total), 14);
  out << '\n';
}

nlohmann::ordered_json Number(Real value) {
  if (!std::isfinite(value)) return nullptr;
  return static_cast<double>(value);
}

nlohmann::ordered_json ParametersJson(const std::vector<ActivationParameters>& parameters) {
  nlohmann::ordered_json json = nlohmann::ordered_json::object();
  for (const ActivationParameters& p : parameters) {
    json[RateConstantName(p.Index)] = {{"ea_kj_mol", Number(p.Ea / 1000)},
                                       {"ea_se", Number(p.EaSe / 1000)},
                                       {"log10_a", Number(p.LnA / kLn10)},
                                       {"log10_a_se", Number(p.LnASe / kLn10)},
                                       {"corr_ea_ln_a", Number(p.CorrEaLnA)},
                                       {"dh_kj_mol", Number(p.DeltaH / 1000)},
                                       {"dh_se", Number(p.DeltaHSe / 1000)},
                                       {"ds_j_mol_k", Number(p.DeltaS)},
                                       {"ds_se", Number(p.DeltaSSe)},
                                       {"dg_kj_mol", Number(p.DeltaG / 1000)},
                                       {"t_ref_K", Number(p.ReferenceTemperature)}};
  }
  return json;
}

std::string Json(const SeriesResult& result) {
  nlohmann::ordered_json json;
  json["temperatures_K"] = nlohmann::json::array();
  for (const Real t : result.Temperatures) json["temperatures_K"].push_back(Number(t));
  if (result.Method != SeriesMethod::Global && result.TwoStage) {
    std::vector<ActivationParameters> parameters;
    for (const ArrheniusLine& line : result.TwoStage->Lines) parameters.push_back(line.Parameters);
    json["two_stage"] = ParametersJson(parameters);
  }
  if (result.Global) {
    json["global"] = ParametersJson(result.Global->Parameters);
    json["global_ssr"] = Number(result.Global->Ssr);
    json["global_dof"] = result.Global->Dof;
  }
  nlohmann::ordered_json single = nlohmann::ordered_json::array();
  for (std::size_t n = 0; n < result.Single.size(); ++n) {
    const FitResult& fit = result.Single[n];
    nlohmann::ordered_json k = nlohmann::ordered_json::array();
    for (const Real x : fit.K) k.push_back(Number(x));
    nlohmann::ordered_json se = nlohmann::ordered_json::object();
    for (std::size_t m = 0; m < fit.Free.size(); ++m) se[RateConstantName(fit.Free[m])] = Number(fit.StandardError[m]);
    single.push_back({{"T_K", Number(result.Temperatures[n])}, {"k", k}, {"se", se}, {"ssr", Number(fit.After.Total)}});
  }
  json["per_temperature"] = single;
  return json.dump();
}

// The text with the blanks before each line end removed (the tables pad every column).
std::string TrimmedLines(const std::string& text) {
  std::string trimmed;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::size_t last = end;
    while (last > start && text[last - 1] == ' ') --last;
    trimmed.append(text, start, last - start);
    if (end < text.size()) trimmed += '\n';
    start = end + 1;
  }
  return trimmed;
}

}  // namespace

void RunSeries(const CommandLine& line, std::ostream& out, const Environment& env) {
  // A picture that cannot be written is refused before anything is fitted or printed.
  if (const auto plot = line.Value("--plot")) {
    if (!env.SaveArrheniusPlot) {
      throw FileError(*plot, texts::CannotCreateFile(
                                 *plot, "this zamo-cli was built without the windows library and draws no pictures"));
    }
    if (!PictureFormatOfPath(*plot)) {
      throw FileError(*plot, texts::CannotCreateFile(*plot, "the name must end in .png, .svg or .pdf"));
    }
  }
  const SeriesSettings settings = SettingsOf(line);
  const TemperatureSeries series = ReadProjects(line);
  const std::atomic<bool> never{false};
  const SeriesResult result = FitSeries(settings, series, nullptr, env.Stop != nullptr ? *env.Stop : never);
  if (line.Has("--json")) {
    out << Json(result) << '\n';
  } else {
    std::ostringstream text;
    PrintText(text, series, result);
    out << TrimmedLines(text.str());
  }
  if (const auto plot = line.Value("--plot")) env.SaveArrheniusPlot(*plot, series, result);
}

}  // namespace zamo::cli
