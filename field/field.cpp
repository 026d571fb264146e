#include "field.h"

#include <cmath>

namespace field {

namespace {

// sech written as 2 / (E + 1/E), the reciprocal first. When the exponent leaves the double range,
// E = +inf gives 1/E = 0 and E = 0 gives 1/E = +inf; either way the envelope comes out as exactly
// 0, which is its true value that far from its centre, so nothing needs trapping.
double envelope(double exponent) {
    const double e = std::exp(exponent);
    const double reciprocal = 1.0 / e;
    const double sum = e + reciprocal;
    return 2.0 / sum;
}

}  // namespace

Sample evaluate(double x, double t, double k, double v) {
    using P = FieldParameters;
    const double m = x + P::offset;
    const double n = x - P::offset;

    const double h1 = envelope(P::inverseWidth * (m - v * t));
    const double theta1 = k * m - v * t;
    const double re1 = h1 * std::sin(theta1);
    const double im1 = h1 * std::cos(theta1);

    // The second envelope shifts by m like the first; only its carrier phase uses n.
    const double h2 = envelope(P::inverseWidth * ((m + v * t) - P::secondEnvelopeOffset));
    const double theta2 = k * n + v * t;
    const double re2 = h2 * std::sin(theta2);
    const double im2 = h2 * -std::cos(theta2);

    const double re = re1 + re2;
    const double im = im1 + im2;
    const double density = (std::pow(re, 2) + std::pow(im, 2)) * P::densityScale;
    return {x, re, im, density};
}

}  // namespace field
