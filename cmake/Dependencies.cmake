# Every package the build uses, found once, with the oldest version it is known to work with
# (the versions of Debian 12, which scripts/install-deps.sh installs).

find_package(Threads REQUIRED)
# The least-squares fit: Ceres' trust-region solver, Eigen for the decompositions, Boost.Math
# for the quantiles and the root finding of the profile intervals (and Boost.Odeint for the
# benchmarks' baseline).
find_package(Ceres 2.1 REQUIRED)
find_package(Eigen3 3.4 REQUIRED NO_MODULE)
find_package(Boost 1.74 REQUIRED)
# zamo-cli's JSON.
find_package(nlohmann_json 3.11 REQUIRED)

if(ZAMO_BUILD_UI)
  find_package(Qt6 6.4 REQUIRED COMPONENTS Widgets PrintSupport Svg)
  # The plot window draws with QCustomPlot (Debian's libqcustomplot-dev 2.1, its Qt 6 build;
  # its package file states no version).
  find_package(QCustomPlotQt6 REQUIRED)
endif()

if(ZAMO_BUILD_TESTS)
  find_package(GTest 1.12 REQUIRED)
  if(ZAMO_BUILD_UI)
    find_package(Qt6 6.4 REQUIRED COMPONENTS Test)
  endif()
endif()

if(ZAMO_BUILD_BENCHMARKS)
  find_package(benchmark 1.7 REQUIRED)
  if(ZAMO_BUILD_UI)
    find_package(Qt6 6.4 REQUIRED COMPONENTS Test)
  endif()
endif()
