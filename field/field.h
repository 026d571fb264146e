// The field of two hyperbolic-secant wave packets moving towards each other, in closed form.
// Pure arithmetic without Qt: the plot asks it for one sample at a time.
#pragma once

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
Sample evaluate(double x, double t, double k, double v);

}  // namespace field
