#pragma once

// The names the benchmarks are registered under, shared with the ratio summary of
// BenchMain.cpp so that a renamed benchmark cannot silently drop out of it.
namespace zamo::bench {

inline constexpr const char* kThreeExpl = "ThreeExpl";
inline constexpr const char* kCalcConcLeft = "CalcConcLeft";
inline constexpr const char* kCalcConcLeftDivided = "CalcConcLeft/DividedDifferences";
inline constexpr const char* kPrepareCoefficients = "PrepareCoefficients";
inline constexpr const char* kRecalcCurves1030 = "RecalcCurves/1030";
inline constexpr const char* kObjectiveLeft = "ExperimentObjective/Left";
inline constexpr const char* kOptimizeDefault = "OptimizeRateConstants/Default15Steps";
inline constexpr const char* kFitDefault = "LeastSquaresFit/Default";
inline constexpr const char* kFitSingleStart = "LeastSquaresFit/SingleStart";
inline constexpr const char* kSelectExample = "ModelSelection/Example10Candidates";
inline constexpr const char* kSelectK1ToK14 = "ModelSelection/K1ToK14";
inline constexpr const char* kSeriesSingleFits = "TemperatureSeries/FiveSingleFits";
inline constexpr const char* kSeriesGlobalFit = "TemperatureSeries/GlobalFit";
inline constexpr const char* kSeriesBothMethods = "TemperatureSeries/BothMethods";
inline constexpr const char* kOdeAtMeasuredTimes = "OdeDopri5/LeftMeasuredTimes";
inline constexpr const char* kClosedFormAtMeasuredTimes = "ClosedForm/LeftMeasuredTimes";

}  // namespace zamo::bench
