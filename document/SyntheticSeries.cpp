#include "document/SyntheticSeries.h"

#include <cmath>
#include <filesystem>
#include <numbers>
#include <optional>
#include <random>

#include "document/ExampleProject.h"
#include "document/ProjectReader.h"
#include "document/ProjectWriter.h"
#include "document/SeriesFile.h"
#include "document/TextFile.h"
#include "model/EvaluateDeviation.h"
#include "model/IsoprCalcConc.h"
#include "model/NumberFormat.h"

namespace zamo {

namespace {

// Standard normal numbers by the Box-Muller transform over the 64-bit Mersenne twister,
// whose sequence (unlike std::normal_distribution's) is the same with every library.
class GaussianNoise {
 public:
  explicit GaussianNoise(std::uint64_t seed) : engine_(seed) {}

  Real Next() {
    if (spare_) {
      const Real value = *spare_;
      spare_.reset();
      return value;
    }
    // u1 in (0, 1], u2 in [0, 1), from 53 bits each.
    const Real u1 = (static_cast<Real>(engine_() >> 11) + 1) * 0x1p-53L;
    const Real u2 = static_cast<Real>(engine_() >> 11) * 0x1p-53L;
    const Real radius = std::sqrt(-2 * std::log(u1));
    const Real angle = 2 * std::numbers::pi_v<Real> * u2;
    spare_ = radius * std::sin(angle);
    return radius * std::cos(angle);
  }

 private:
  std::mt19937_64 engine_;
  std::optional<Real> spare_;
};

// Gaussian noise on every fraction of rows 1..LastRow, made to sum to zero over the row by
// subtracting its mean and scaled by sqrt(8/7), so that each fraction's noise keeps the
// standard deviation asked for and the row still sums to 1.
void Observe(Experiment& e, Side side, const CoefficientSet& set, Real noise, GaussianNoise& random) {
  const Real scale = noise / 100 * std::sqrt(Real(kSpeciesCount) / (kSpeciesCount - 1));
  for (int j = 0; j <= e.LastRow; ++j) {
    const auto row = static_cast<std::size_t>(j);
    SpeciesValues c = CalcConc(set, side, static_cast<Real>(e.Times[row]));
    if (j > 0 && noise > 0) {
      SpeciesValues d;
      Real mean = 0;
      for (Real& x : d) {
        x = random.Next();
        mean += x / kSpeciesCount;
      }
      for (int s = 1; s <= kSpeciesCount; ++s) c[s] += scale * (d[s] - mean);
    }
    e.Observed[row] = c;
  }
}

}  // namespace

SyntheticSeriesRecipe ExampleSeriesRecipe() {
  SyntheticSeriesRecipe recipe;
  recipe.Temperatures = {200, 205, 210, 215, 220};
  // Ea in kJ/mol, A in 1/s.
  const struct {
    int Index;
    Real Ea;
    Real A;
  } pathways[] = {{1, 175, 1.04e13L},  {2, 165, 7.04e12L},  {3, 190, 1.03e14L},  {4, 180, 8.86e12L},
                  {5, 160, 4.6e12L},   {7, 170, 4.7e13L},   {8, 172, 1.41e14L},  {9, 168, 2.51e13L},
                  {10, 185, 9.85e13L}, {14, 158, 8.76e12L}, {15, 150, 3.52e11L}, {16, 145, 1.25e12L}};
  for (const auto& p : pathways) {
    recipe.Ea[p.Index] = p.Ea * 1000;
    recipe.A[p.Index] = p.A;
  }
  recipe.Noise = 0.1L;
  recipe.Seed = 1;
  return recipe;
}

TemperatureSeries MakeSyntheticSeries(const SyntheticSeriesRecipe& recipe, const std::string& seriesPath) {
  KineticProject example;
  static_cast<ProjectData&>(example) = ReadProjectText(ProjectData{}, ExampleProjectText(), "").Data;
  const std::filesystem::path path(seriesPath);
  GaussianNoise random(recipe.Seed);
  TemperatureSeries series;
  for (const Real celsius : recipe.Temperatures) {
    ProjectData data = example;
    const std::string name = path.stem().string() + "-" + FloatToText(celsius) + "C.zam";
    data.FileName = (path.parent_path() / name).string();
    data.Title = example.Title + ", synthetic series";
    data.Author = "Zamo synthetic series";
    data.LeftDataFile.clear();
    data.RightDataFile.clear();
    data.Temperature = celsius;
    data.AbsoluteTemperature = ToAbsoluteTemperature(celsius);
    for (int i = 1; i <= kRateConstantCount; ++i) {
      data.K[i] =
          recipe.A[i] == 0 ? 0 : recipe.A[i] * std::exp(-recipe.Ea[i] / (kGasConstant * data.AbsoluteTemperature));
    }
    const CoefficientSet set = PrepareCoefficients(data.K);
    Observe(data.Left, Side::Left, set, recipe.Noise, random);
    Observe(data.Right, Side::Right, set, recipe.Noise, random);
    series.push_back({data.FileName, std::move(data)});
  }
  return series;
}

TemperatureSeries WriteSyntheticSeries(const SyntheticSeriesRecipe& recipe, const std::string& seriesPath,
                                       const std::vector<std::string>& comments) {
  TemperatureSeries series = MakeSyntheticSeries(recipe, seriesPath);
  std::vector<std::string> paths;
  for (SeriesProject& member : series) {
    KineticProject project;
    static_cast<ProjectData&>(project) = member.Data;
    // The deviation sections hold what a reader of the file computes: the percentages as
    // written, against the constants as written.
    static_cast<ProjectData&>(project) =
        ReadProjectText(project, BuildProjectText(project, project.DataDateTime), member.File).Data;
    const CoefficientSet set = PrepareCoefficients(project.K);
    project.LeftDeviation = ComputeDeviation(project.Left, Side::Left, set);
    project.RightDeviation = ComputeDeviation(project.Right, Side::Right, set);
    WriteTextFileAtomically(member.File, BuildProjectText(project, project.DataDateTime));
    member.Data = project;
    paths.push_back(member.File);
  }
  WriteTextFileAtomically(seriesPath, BuildSeriesText(seriesPath, paths, comments));
  return series;
}

}  // namespace zamo
