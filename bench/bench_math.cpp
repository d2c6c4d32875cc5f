// bench-deps: cm_math
// Matrix products and inverses as the transform pass uses them, once per node per frame.
#include <benchmark/benchmark.h>

#include "math/Matrix4.h"

static void BM_MatrixMultiply(benchmark::State& state) {
    cm::Matrix4 a, b;
    a.SetRotationAngles(0.1f, 0.2f, 0.3f);
    b.SetRotationAngles(0.3f, 0.2f, 0.1f);
    for (auto _ : state) {
        a.Multiply(a, b);
        benchmark::DoNotOptimize(a);
    }
}
BENCHMARK(BM_MatrixMultiply);

static void BM_MatrixInvert(benchmark::State& state) {
    cm::Matrix4 a, inv;
    a.SetRotationAngles(0.1f, 0.2f, 0.3f);
    for (auto _ : state) {
        benchmark::DoNotOptimize(inv.Invert(a));
    }
}
BENCHMARK(BM_MatrixInvert);
