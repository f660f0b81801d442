// The main of the benchmarks that need a QApplication: Qt's offscreen
// platform unless another is named, then every benchmark of the program.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>

namespace rivolet {

inline int RunQtBenchmarks(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace rivolet
