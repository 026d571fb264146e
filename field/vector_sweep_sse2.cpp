// The sweep two samples at a time with SSE2, which every x86-64 processor has.
#include "vector_sweep.h"

#include <emmintrin.h>
#include <sleef.h>

namespace field::detail {

namespace {

struct Sse2 {
    using Vec = __m128d;
    static constexpr std::size_t width = 2;
    static Vec broadcast(double d) { return _mm_set1_pd(d); }
    static Vec load(const double* p) { return _mm_loadu_pd(p); }
    static void store(double* p, Vec v) { _mm_storeu_pd(p, v); }
    static Vec exp(Vec a) { return Sleef_expd2_u10sse2(a); }
    static void sincos(Vec a, Vec& s, Vec& c) {
        const Sleef___m128d_2 r = Sleef_sincosd2_u10sse2(a);
        s = r.x;
        c = r.y;
    }
};

}  // namespace

void evaluateSse2(const SweepBuffers& buffers) {
    Kernel<Sse2>::run(buffers);
}

}  // namespace field::detail
