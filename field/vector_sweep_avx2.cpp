// The sweep four samples at a time with AVX2 and FMA; built with -mavx2 -mfma.
#include "vector_sweep.h"

#include <immintrin.h>
#include <sleef.h>

namespace field::detail {

namespace {

struct Avx2 {
    using Vec = __m256d;
    static constexpr std::size_t width = 4;
    static Vec broadcast(double d) { return _mm256_set1_pd(d); }
    static Vec load(const double* p) { return _mm256_loadu_pd(p); }
    static void store(double* p, Vec v) { _mm256_storeu_pd(p, v); }
    static Vec exp(Vec a) { return Sleef_expd4_u10avx2(a); }
    static void sincos(Vec a, Vec& s, Vec& c) {
        const Sleef___m256d_2 r = Sleef_sincosd4_u10avx2(a);
        s = r.x;
        c = r.y;
    }
};

}  // namespace

void evaluateAvx2(const SweepBuffers& buffers) {
    Kernel<Avx2>::run(buffers);
}

}  // namespace field::detail
