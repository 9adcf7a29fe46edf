// The one main() of the benchmark executable; every bench/*.cpp adds its own cases.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
