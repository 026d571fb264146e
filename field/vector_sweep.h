// The field along a sweep, a vector of samples at a time, written once for every vector unit.
// Each unit's instantiation lives in a translation unit of its own, built for that instruction
// set; that is why this header holds only templates and plain data, never an inline function
// that a baseline caller could end up sharing with the wider code.
#pragma once

#include "field.h"

#include <cstddef>

namespace field::detail {

// One sweep's inputs and outputs as plain pointers, `count` entries each.
struct SweepBuffers {
    const double* x;
    std::size_t count;
    double t;
    double k;
    double v;
    double* re;
    double* im;
    double* density;
};

void evaluateSse2(const SweepBuffers& buffers);
void evaluateAvx2(const SweepBuffers& buffers);
void evaluateAvx512(const SweepBuffers& buffers);

// V describes a unit: its vector type Vec of V::width doubles, broadcast, load, store, and
// SLEEF's 1-ULP exp and sincos. Vec takes the compiler's vector operators, which round as the
// scalar ones do (the field library is built without contraction into fused multiply-adds).
template <class V>
struct Kernel {
    using Vec = typename V::Vec;

    // sech as 2 / (E + 1/E), the reciprocal first, as evaluate() does it.
    static Vec envelope(Vec exponent) {
        const Vec e = V::exp(exponent);
        const Vec reciprocal = V::broadcast(1.0) / e;
        const Vec sum = e + reciprocal;
        return V::broadcast(2.0) / sum;
    }

    static void block(const double* xs, double t, double k, double v, double* re, double* im,
                      double* density) {
        using P = FieldParameters;
        const Vec x = V::load(xs);
        const Vec vt = V::broadcast(v * t);
        const Vec kv = V::broadcast(k);
        const Vec width = V::broadcast(P::inverseWidth);
        const Vec m = x + V::broadcast(P::offset);
        const Vec n = x - V::broadcast(P::offset);

        const Vec h1 = envelope(width * (m - vt));
        Vec sin1;
        Vec cos1;
        V::sincos(kv * m - vt, sin1, cos1);
        const Vec re1 = h1 * sin1;
        const Vec im1 = h1 * cos1;

        // The second envelope shifts by m like the first; only its carrier phase uses n.
        const Vec h2 = envelope(width * ((m + vt) - V::broadcast(P::secondEnvelopeOffset)));
        Vec sin2;
        Vec cos2;
        V::sincos(kv * n + vt, sin2, cos2);
        const Vec re2 = h2 * sin2;
        const Vec im2 = h2 * -cos2;

        const Vec sumRe = re1 + re2;
        const Vec sumIm = im1 + im2;
        V::store(re, sumRe);
        V::store(im, sumIm);
        V::store(density, (sumRe * sumRe + sumIm * sumIm) * V::broadcast(P::densityScale));
    }

    // Whole vectors, then the rest through a padded vector, so that every sample goes through
    // the same code.
    static void run(const SweepBuffers& b) {
        constexpr std::size_t w = V::width;
        std::size_t i = 0;
        for (; i + w <= b.count; i += w) {
            block(b.x + i, b.t, b.k, b.v, b.re + i, b.im + i, b.density + i);
        }
        if (i == b.count) {
            return;
        }
        double x[w];
        double re[w];
        double im[w];
        double density[w];
        for (std::size_t j = 0; j < w; ++j) {
            x[j] = b.x[i + j < b.count ? i + j : b.count - 1];
        }
        block(x, b.t, b.k, b.v, re, im, density);
        for (std::size_t j = 0; i + j < b.count; ++j) {
            b.re[i + j] = re[j];
            b.im[i + j] = im[j];
            b.density[i + j] = density[j];
        }
    }
};

}  // namespace field::detail
