#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "model/KineticProject.h"
#include "model/Real.h"
#include "model/ZamoError.h"

namespace zamo {

// The constants of the activation parameters, in SI units; the Boltzmann and Planck
// constants are exact by the definition of the units.
inline constexpr Real kGasConstant = 8.314462618L;  // J/(mol K)
inline constexpr Real kBoltzmann = 1.380649e-23L;   // J/K
inline constexpr Real kPlanck = 6.62607015e-34L;    // J s

// One project of a temperature series and the file it came from.
struct SeriesProject {
  std::string File;
  ProjectData Data;
};

// Projects of the same network at different temperatures, in the order the user gave them.
using TemperatureSeries = std::vector<SeriesProject>;

// A refusal of a series, with the position of the project it concerns (none where it
// concerns the series as a whole), so that a caller can name that project's line.
class SeriesError : public ZamoError {
 public:
  SeriesError(const std::string& text, std::optional<std::size_t> project) : ZamoError(text), project_(project) {}
  std::optional<std::size_t> Project() const { return project_; }

 private:
  std::optional<std::size_t> project_;
};

// The temperatures a series accepts (kelvin), and how far apart two of them must lie.
inline constexpr Real kSeriesKelvinMin = 1;
inline constexpr Real kSeriesKelvinMax = 5000;
inline constexpr Real kSeriesKelvinSpacing = 0.01L;

// Refuses (SeriesError) a series that cannot give activation parameters: fewer than two
// projects ("A temperature series needs projects at two or more temperatures; it holds 1
// project"), or a project that CheckSeriesProject refuses.
void CheckSeriesTemperatures(const TemperatureSeries& series);

// Refuses (SeriesError) project j of a series for what it holds against the projects before
// it, so that a reader can check each project as it comes: a temperature not above absolute
// zero ("The temperature -300 °C is not above absolute zero", naming the project's file) or
// outside kSeriesKelvinMin..kSeriesKelvinMax, or the temperature of an earlier project ("B
// has the same temperature as A (210.1 °C); a series holds one project per temperature",
// concerning B) or one within kSeriesKelvinSpacing of it.
void CheckSeriesProject(const TemperatureSeries& series, std::size_t j);

// T_ref in kelvin: 1 / T_ref is the mean of the series' 1 / T.
Real ReferenceTemperature(const TemperatureSeries& series);

// The Arrhenius law in the form centred on T_ref:
// k(T) = k(T_ref) exp(Ea / R (1 / T_ref - 1 / T)), with lnKRef = ln(k(T_ref) s) and Ea in J/mol.
Real ArrheniusRate(Real lnKRef, Real ea, Real referenceTemperature, Real kelvin);

}  // namespace zamo
