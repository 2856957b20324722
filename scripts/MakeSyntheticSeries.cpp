// zamo-make-series: writes a synthetic temperature series (project files and the series
// file listing them) from the Arrhenius parameters of its pathways.
//
//   zamo-make-series OUT.zams --celsius T1,T2,... --pathway kN:EA:A ... [--noise PP] [--seed N]
//
// EA in kJ/mol, A in 1/s, PP the standard deviation of the noise in percentage points. The
// command line is written as a comment at the top of the series file, so that the series
// can be made again.

#include <charconv>
#include <cstdint>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "document/SyntheticSeries.h"
#include "model/Conversions.h"
#include "model/ZamoError.h"

namespace {

constexpr const char* kUsage =
    "usage: zamo-make-series OUT.zams --celsius T1,T2,... --pathway kN:EA_KJ_PER_MOL:A_PER_S ... "
    "[--noise PERCENTAGE_POINTS] [--seed N]\n";

std::vector<std::string> Split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator, start)) {
    parts.emplace_back(text.substr(start, at - start));
    start = at + 1;
  }
  parts.emplace_back(text.substr(start));
  return parts;
}

// "kN:EA:A" into the recipe; false when it is not of that form.
bool AddPathway(const std::string& text, zamo::SyntheticSeriesRecipe& recipe) {
  const std::vector<std::string> parts = Split(text, ':');
  if (parts.size() != 3 || parts[0].size() < 2 || parts[0][0] != 'k') return false;
  const std::int32_t index = zamo::StrToInt(parts[0].substr(1));
  if (index < 1 || index > zamo::kRateConstantCount) return false;
  recipe.Ea[index] = zamo::StrToFloat(parts[1]) * 1000;
  recipe.A[index] = zamo::StrToFloat(parts[2]);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  zamo::SyntheticSeriesRecipe recipe;
  std::string out;
  std::string command = "zamo-make-series";
  try {
    for (std::size_t i = 0; i < args.size(); ++i) {
      const std::string& arg = args[i];
      command += " " + arg;
      const bool hasValue = i + 1 < args.size();
      if (arg == "--celsius" && hasValue) {
        command += " " + args[++i];
        for (const std::string& t : Split(args[i], ',')) recipe.Temperatures.push_back(zamo::StrToFloat(t));
      } else if (arg == "--pathway" && hasValue) {
        command += " " + args[++i];
        if (!AddPathway(args[i], recipe)) {
          std::cerr << "zamo-make-series: not kN:EA:A: " << args[i] << '\n' << kUsage;
          return 2;
        }
      } else if (arg == "--noise" && hasValue) {
        command += " " + args[++i];
        recipe.Noise = zamo::StrToFloat(args[i]);
      } else if (arg == "--seed" && hasValue) {
        command += " " + args[++i];
        const std::string& seed = args[i];
        const auto [end, error] = std::from_chars(seed.data(), seed.data() + seed.size(), recipe.Seed);
        if (error != std::errc() || end != seed.data() + seed.size()) {
          std::cerr << "zamo-make-series: not a seed (a whole number from 0): " << seed << '\n' << kUsage;
          return 2;
        }
      } else if (out.empty() && !arg.starts_with("--")) {
        out = arg;
      } else {
        std::cerr << kUsage;
        return 2;
      }
    }
    if (out.empty() || recipe.Temperatures.empty()) {
      std::cerr << kUsage;
      return 2;
    }
    const zamo::TemperatureSeries series = zamo::WriteSyntheticSeries(
        recipe, out, {"Synthetic temperature series, made from known activation parameters by", command});
    for (const zamo::SeriesProject& project : series) std::cout << project.File << '\n';
    std::cout << out << '\n';
  } catch (const zamo::ZamoError& error) {
    std::cerr << "zamo-make-series: " << error.Describe() << '\n';
    return 1;
  } catch (const std::exception& error) {
    std::cerr << "zamo-make-series: " << error.what() << '\n' << kUsage;
    return 2;
  }
  return 0;
}
