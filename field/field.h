// The field of two hyperbolic-secant wave packets moving towards each other, in closed form.
// Pure arithmetic without Qt: one sample at a time, or all the samples of a sweep at once.
#pragma once

#include <span>

namespace field {

// The model's constants; none of them is configurable.
struct FieldParameters {
    // An offset written as the literal 3.1416, not as the double nearest to pi.
    static constexpr double offset = 3.1416;
    static constexpr double inverseWidth = 1.3;
    static constexpr double secondEnvelopeOffset = 12.0;
    static constexpr double densityScale = 0.7;
};

// The summed wave at one position for one time.
struct Sample {
    double x = 0.0;
    double re = 0.0;
    double im = 0.0;
    double density = 0.0;
};

// The field at position x and time t for wave number k, where v = k / 2 is the drift speed.
// The reference that the sweep below is held to.
Sample evaluate(double x, double t, double k, double v);

// Where the field along a sweep goes: one array per part of the sample.
struct SweepArrays {
    std::span<double> re;
    std::span<double> im;
    std::span<double> density;
};

// The vector units that a sweep can be evaluated with, from none (sample by sample) up.
enum class VectorUnit { None, Sse2, Avx2, Avx512 };

// Whether this build has code for the unit and this machine can run it.
bool isAvailable(VectorUnit unit);
// The widest available unit.
VectorUnit bestVectorUnit();

// evaluate() at every position of x for time t, into as many entries of each array as the
// shortest of x and the arrays has: the same operations in the same order, with exp and sincos
// from a vector library whose results are within 1 ULP. An unavailable unit evaluates sample
// by sample.
void evaluate(std::span<const double> x, double t, double k, double v, const SweepArrays& out,
              VectorUnit unit = bestVectorUnit());

}  // namespace field
