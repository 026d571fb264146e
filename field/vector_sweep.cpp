#include "field.h"

#include <algorithm>
#include <array>

#ifdef FIELD_X86_64_KERNELS
#include "vector_sweep.h"
#endif

namespace field {

bool isAvailable(VectorUnit unit) {
#ifdef FIELD_X86_64_KERNELS
    switch (unit) {
        case VectorUnit::None:
        case VectorUnit::Sse2:  // part of x86-64 itself
            return true;
        case VectorUnit::Avx2:
            return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
        case VectorUnit::Avx512:
            return __builtin_cpu_supports("avx512f");
    }
    return false;
#else
    return unit == VectorUnit::None;
#endif
}

VectorUnit bestVectorUnit() {
    static const VectorUnit best = [] {
        constexpr std::array widestFirst{VectorUnit::Avx512, VectorUnit::Avx2, VectorUnit::Sse2};
        const auto* found = std::find_if(widestFirst.begin(), widestFirst.end(), isAvailable);
        return found != widestFirst.end() ? *found : VectorUnit::None;
    }();
    return best;
}

// The vector code is AVX-encoded throughout and, built for AVX, clears the upper halves of the
// registers on return. Left dirty, as Qt 6.4's AVX2 image fill leaves them, they make each
// switch between SSE code (evaluate(), built for baseline x86-64) and the AVX-encoded libm that
// it calls cost hundreds of cycles on Intel processors: evaluate() takes 15 times as long.
void evaluate(std::span<const double> x, double t, double k, double v, const SweepArrays& out,
              [[maybe_unused]] VectorUnit unit) {
    const std::size_t count =
        std::min({x.size(), out.re.size(), out.im.size(), out.density.size()});
#ifdef FIELD_X86_64_KERNELS
    const detail::SweepBuffers buffers{
        x.data(), count, t, k, v, out.re.data(), out.im.data(), out.density.data()};
    switch (isAvailable(unit) ? unit : VectorUnit::None) {
        case VectorUnit::Sse2:
            detail::evaluateSse2(buffers);
            return;
        case VectorUnit::Avx2:
            detail::evaluateAvx2(buffers);
            return;
        case VectorUnit::Avx512:
            detail::evaluateAvx512(buffers);
            return;
        case VectorUnit::None:
            break;
    }
#endif
    for (std::size_t i = 0; i < count; ++i) {
        const Sample s = evaluate(x[i], t, k, v);
        out.re[i] = s.re;
        out.im[i] = s.im;
        out.density[i] = s.density;
    }
}

}  // namespace field
