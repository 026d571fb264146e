// The sweep eight samples at a time with AVX-512F; built with -mavx512f.
#include "vector_sweep.h"

#include <immintrin.h>
#include <sleef.h>

namespace field::detail {

namespace {

struct Avx512 {
    using Vec = __m512d;
    static constexpr std::size_t width = 8;
    static Vec broadcast(double d) { return _mm512_set1_pd(d); }
    static Vec load(const double* p) { return _mm512_loadu_pd(p); }
    static void store(double* p, Vec v) { _mm512_storeu_pd(p, v); }
    static Vec exp(Vec a) { return Sleef_expd8_u10avx512f(a); }
    static void sincos(Vec a, Vec& s, Vec& c) {
        const Sleef___m512d_2 r = Sleef_sincosd8_u10avx512f(a);
        s = r.x;
        c = r.y;
    }
};

}  // namespace

void evaluateAvx512(const SweepBuffers& buffers) {
    Kernel<Avx512>::run(buffers);
}

}  // namespace field::detail
