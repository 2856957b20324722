#include "optimize/FitReportText.h"

#include <cmath>
#include <cstdio>
#include <sstream>

namespace zamo {

namespace {

std::string Format(const char* pattern, Real value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, pattern, value);
  return buffer;
}

std::string Number(Real value) { return std::isfinite(value) ? Format("%.5Le", value) : "-"; }

std::string Percent(Real value) { return std::isfinite(value) ? Format("%.1Lf %%", value) : "-"; }

std::string Interval(const std::array<Real, 2>& interval) {
  if (!std::isfinite(interval[0])) return "-";
  return "[" + Number(interval[0]) + ", " + Number(interval[1]) + "]";
}

std::string End(const std::optional<Real>& end) { return end ? Number(*end) : "open"; }

std::string ProfileInterval(const std::array<std::optional<Real>, 2>& interval) {
  return "[" + End(interval[0]) + ", " + End(interval[1]) + "]";
}

Real RelativeError(const FitResult& fit, std::size_t n) {
  const Real k = fit.K[fit.Free[n]];
  return k != 0 ? 100 * fit.StandardError[n] / std::fabs(k) : std::numeric_limits<Real>::quiet_NaN();
}

std::string Experiments(FitExperiments experiments) {
  switch (experiments) {
    case FitExperiments::Left:
      return "the left experiment";
    case FitExperiments::Right:
      return "the right experiment";
    case FitExperiments::Both:
      break;
  }
  return "both experiments";
}

std::string Sum(const std::optional<Real>& sum) { return sum ? Format("%.4Lf", *sum) : "-"; }

std::string Pad(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

}  // namespace

std::vector<std::string> FitFlags(const FitResult& fit, std::size_t n) {
  std::vector<std::string> flags;
  if (fit.IsAtBound(fit.Free[n])) flags.emplace_back("at bound");
  if (fit.IntervalContainsZero(n)) flags.emplace_back("interval contains 0");
  for (const auto& pair : fit.CorrelatedPairs()) {
    if (pair[0] != n && pair[1] != n) continue;
    const std::size_t other = pair[0] == n ? pair[1] : pair[0];
    flags.push_back(Format("r = %.2Lf", fit.Correlation[n][other]) + " with " + RateConstantName(fit.Free[other]));
  }
  return flags;
}

std::string FitFlagExplanation(const std::string& flag) {
  if (flag == "at bound") {
    return "The constant ended at 0, its lower bound: the data push it below 0. It does not count among the "
           "fitted parameters and has no standard error.";
  }
  if (flag == "interval contains 0") {
    return "The 95 % interval reaches below 0: the data do not separate this constant from 0.";
  }
  if (flag.rfind("r = ", 0) == 0) {
    return "The two constants are correlated beyond 0.95: the data fix a combination of them (often their ratio) "
           "much better than either alone.";
  }
  return {};
}

std::vector<std::string> FitTable(const FitSettings& settings, const FitResult& fit) {
  std::vector<std::string> lines;
  std::string header = "Least-squares fit to " + Experiments(settings.Experiments) +
                       (settings.Weighting == FitWeighting::Species ? ", species weighted" : "") + ": " +
                       (fit.Converged ? "converged" : "not converged") + " after " + std::to_string(fit.Iterations) +
                       " iterations (" + std::to_string(fit.Evaluations) + " evaluations)";
  lines.push_back(header);
  lines.emplace_back();
  const bool profile = !fit.ProfileInterval95.empty();
  std::string columns = Pad("Constant", 9) + Pad("Start", 13) + Pad("Fitted", 13) + Pad("SE", 13) +
                        Pad("95 % interval", 29) + Pad("Rel. SE", 10);
  if (profile) columns += Pad("Profile 95 % interval", 29);
  lines.push_back(columns + "Flags");
  for (std::size_t n = 0; n < fit.Free.size(); ++n) {
    const int i = fit.Free[n];
    std::string line = Pad(RateConstantName(i), 9) + Pad(Number(fit.Start[i]), 13) + Pad(Number(fit.K[i]), 13) +
                       Pad(Number(fit.StandardError[n]), 13) + Pad(Interval(fit.Interval95[n]), 29) +
                       Pad(Percent(RelativeError(fit, n)), 10);
    if (profile) line += Pad(ProfileInterval(fit.ProfileInterval95[n]), 29);
    std::string flags;
    for (const std::string& flag : FitFlags(fit, n)) flags += (flags.empty() ? "" : "; ") + flag;
    line += flags;
    while (!line.empty() && line.back() == ' ') line.pop_back();
    lines.push_back(line);
  }
  lines.emplace_back();
  lines.push_back(Pad("SSR", 9) + Pad("before", 12) + "after");
  lines.push_back(Pad("left", 9) + Pad(Sum(fit.Before.Left), 12) + Sum(fit.After.Left));
  lines.push_back(Pad("right", 9) + Pad(Sum(fit.Before.Right), 12) + Sum(fit.After.Right));
  lines.push_back(Pad("total", 9) + Pad(Sum(fit.Before.Total), 12) + Sum(fit.After.Total));
  if (fit.Sigmas) {
    lines.push_back("weighted SSR " + Format("%.4Lf", fit.WeightedSsr));
    std::string sigmas = "sigma of A..H";
    for (const Real s : *fit.Sigmas) sigmas += " " + Format("%.4Lg", s);
    lines.push_back(sigmas);
  }
  lines.push_back("sigma " + Format("%.5Lg", fit.Sigma) + ", dof " + std::to_string(fit.Dof) + " (n " +
                  std::to_string(fit.N) + ")");
  const auto pairs = fit.CorrelatedPairs();
  if (pairs.empty()) {
    lines.emplace_back("No correlation beyond 0.95");
  } else {
    std::string correlated = "Correlated beyond 0.95:";
    for (const auto& pair : pairs) {
      correlated += " " + RateConstantName(fit.Free[pair[0]]) + "-" + RateConstantName(fit.Free[pair[1]]) + " " +
                    Format("%.4Lf", fit.Correlation[pair[0]][pair[1]]);
    }
    lines.push_back(correlated);
  }
  return lines;
}

std::string FitTabSeparated(const FitSettings& settings, const FitResult& fit) {
  std::ostringstream out;
  const bool profile = !fit.ProfileInterval95.empty();
  out << "Constant\tStart\tFitted\tSE\t95 % low\t95 % high\tRel. SE %";
  if (profile) out << "\tProfile low\tProfile high";
  out << "\tFlags\n";
  for (std::size_t n = 0; n < fit.Free.size(); ++n) {
    const int i = fit.Free[n];
    out << RateConstantName(i) << '\t' << Number(fit.Start[i]) << '\t' << Number(fit.K[i]) << '\t'
        << Number(fit.StandardError[n]) << '\t' << Number(fit.Interval95[n][0]) << '\t' << Number(fit.Interval95[n][1])
        << '\t' << Format("%.2Lf", RelativeError(fit, n));
    if (profile) out << '\t' << End(fit.ProfileInterval95[n][0]) << '\t' << End(fit.ProfileInterval95[n][1]);
    std::string flags;
    for (const std::string& flag : FitFlags(fit, n)) flags += (flags.empty() ? "" : "; ") + flag;
    out << '\t' << flags << '\n';
  }
  out << "\nSSR\tbefore\tafter\n";
  out << "left\t" << Sum(fit.Before.Left) << '\t' << Sum(fit.After.Left) << '\n';
  out << "right\t" << Sum(fit.Before.Right) << '\t' << Sum(fit.After.Right) << '\n';
  out << "total\t" << Sum(fit.Before.Total) << '\t' << Sum(fit.After.Total) << '\n';
  out << "weighted SSR\t" << Format("%.6Lg", fit.WeightedSsr) << '\n';
  out << "sigma\t" << Format("%.6Lg", fit.Sigma) << '\n';
  out << "dof\t" << fit.Dof << '\n';
  out << "experiments\t" << Experiments(settings.Experiments) << '\n';
  out << "weighting\t" << (settings.Weighting == FitWeighting::Species ? "species" : "none") << '\n';
  return out.str();
}

}  // namespace zamo
