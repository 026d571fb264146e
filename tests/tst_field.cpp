#include "field.h"

#include <QTest>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

using field::evaluate;
using P = field::FieldParameters;

class TstField : public QObject {
    Q_OBJECT

private slots:
    void packetCentres_data();
    void packetCentres();
    void fringesWhereThePacketsMeet_data();
    void fringesWhereThePacketsMeet();
    void farFieldIsTinyButNotZero();
    void zeroWaveNumberStandsStill();
    void negativeWaveNumberSeparates();
    void densityIdentity_data();
    void densityIdentity();
    void largeWaveNumbersStayFinite_data();
    void largeWaveNumbersStayFinite();
    void sweepAgreesWithEvaluate_data();
    void sweepAgreesWithEvaluate();
};

void TstField::packetCentres_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("expectedRe");
    QTest::addColumn<double>("expectedIm");
    // Packet 1 at x = -P has phase 0; packet 2 at x = D - P has phase k (D - 2P).
    const double theta2 = 14.0 * (P::secondEnvelopeOffset - 2 * P::offset);
    QTest::newRow("packet 1") << -P::offset << 0.0 << 1.0;
    QTest::newRow("packet 2") << P::secondEnvelopeOffset - P::offset << std::sin(theta2)
                              << -std::cos(theta2);
}

void TstField::packetCentres() {
    QFETCH(double, x);
    QFETCH(double, expectedRe);
    QFETCH(double, expectedIm);
    const field::Sample s = evaluate(x, 0.0, 14.0, 7.0);
    QCOMPARE(s.x, x);
    QVERIFY(std::abs(s.re - expectedRe) < 1e-6);
    QVERIFY(std::abs(s.im - expectedIm) < 1e-6);
    QVERIFY(std::abs(s.density - P::densityScale) < 1e-5);
}

void TstField::fringesWhereThePacketsMeet_data() {
    QTest::addColumn<double>("dx");
    for (const double dx : {0.0, 0.05, 0.1, 0.2}) {
        QTest::addRow("6 - P %+.2f", dx) << dx;
    }
}

// At v t = 6 both envelopes are centred on 6 - P, where density = rho (2 - 2 cos 2kx) nearby.
void TstField::fringesWhereThePacketsMeet() {
    QFETCH(double, dx);
    const double k = 14.0;
    const double t = 6.0 / 7.0;
    const double x = 6.0 - P::offset + dx;
    const double h = 2.0 / (std::exp(P::inverseWidth * dx) + std::exp(-P::inverseWidth * dx));
    const double expected = P::densityScale * (2 * h * h - 2 * h * h * std::cos(2 * k * x));
    QVERIFY(std::abs(evaluate(x, t, k, k / 2).density - expected) < 1e-9);
}

void TstField::farFieldIsTinyButNotZero() {
    const field::Sample s = evaluate(-P::offset - 20.0, 0.0, 14.0, 7.0);
    for (const double value : {s.re, s.im, s.density}) {
        QVERIFY(std::abs(value) < 1e-9);
    }
    QVERIFY(s.im != 0.0);
    QVERIFY(s.density > 0.0);
}

void TstField::zeroWaveNumberStandsStill() {
    for (const double x : {-4.0, -P::offset, 0.5, 6 - P::offset, 9.0}) {
        const field::Sample early = evaluate(x, 0.0, 0.0, 0.0);
        const field::Sample late = evaluate(x, 1.3, 0.0, 0.0);
        QCOMPARE(early.re, 0.0);
        QCOMPARE(late.im, early.im);
        const double h1 = 1.0 / std::cosh(P::inverseWidth * (x + P::offset));
        const double h2 =
            1.0 / std::cosh(P::inverseWidth * (x + P::offset - P::secondEnvelopeOffset));
        QVERIFY(std::abs(early.im - (h1 - h2)) < 1e-12);
    }
}

// With k < 0 the envelopes drift apart: the density at the first centre falls as t grows while
// the packet moves left, away from the other.
void TstField::negativeWaveNumberSeparates() {
    const double k = -14.0;
    const double v = k / 2;
    const double t = 0.5;
    const double centre = v * t - P::offset;
    QVERIFY(std::abs(evaluate(centre, t, k, v).density - P::densityScale) < 1e-5);
    QVERIFY(evaluate(-P::offset, t, k, v).density < 0.01);
}

void TstField::densityIdentity_data() {
    QTest::addColumn<double>("k");
    QTest::addColumn<double>("t");
    QTest::newRow("k 14 start") << 14.0 << 0.0;
    QTest::newRow("k 14 overlap") << 14.0 << 6.0 / 7.0;
    QTest::newRow("k 14 end") << 14.0 << 1.3;
    QTest::newRow("k 3.5") << 3.5 << 0.7;
    QTest::newRow("k -20") << -20.0 << 0.4;
}

// density = rho (h1^2 + h2^2 - 2 h1 h2 cos(2 k x)) everywhere on the sweep.
void TstField::densityIdentity() {
    QFETCH(double, k);
    QFETCH(double, t);
    const double v = k / 2;
    for (double x = -4.4; x <= 10.5; x += 0.02) {
        const double h1 = 1.0 / std::cosh(P::inverseWidth * (x + P::offset - v * t));
        const double h2 =
            1.0 / std::cosh(P::inverseWidth * ((x + P::offset + v * t) - P::secondEnvelopeOffset));
        const double expected =
            P::densityScale * (h1 * h1 + h2 * h2 - 2 * h1 * h2 * std::cos(2 * k * x));
        QVERIFY2(std::abs(evaluate(x, t, k, v).density - expected) < 1e-9,
                 qPrintable(QString::number(x)));
    }
}

void TstField::largeWaveNumbersStayFinite_data() {
    QTest::addColumn<double>("k");
    QTest::newRow("1000") << 1000.0;
    QTest::newRow("-1000") << -1000.0;
    QTest::newRow("1e6") << 1e6;
    QTest::newRow("1e300") << 1e300;
}

// Exponents far outside the double range give envelopes of exactly 0, not a failure.
void TstField::largeWaveNumbersStayFinite() {
    QFETCH(double, k);
    for (double t = 0.0; t <= 1.3; t += 0.1) {
        for (double x = -4.4; x <= 10.5; x += 0.1) {
            const field::Sample s = evaluate(x, t, k, k / 2);
            QVERIFY(std::isfinite(s.re) && std::isfinite(s.im) && std::isfinite(s.density));
            QVERIFY(s.density >= 0.0 && s.density <= 2.8);
        }
    }
}

void TstField::sweepAgreesWithEvaluate_data() {
    QTest::addColumn<double>("k");
    // Beyond 1e299 the vector sine is only promised to lie in [-1, 1]: there only finiteness
    // must agree.
    QTest::addColumn<bool>("valuesAgree");
    QTest::newRow("standing still") << 0.0 << true;
    QTest::newRow("moving apart") << -14.0 << true;
    QTest::newRow("k 1e6") << 1e6 << true;
    QTest::newRow("k 1e300") << 1e300 << false;
    QTest::newRow("k x overflows") << 1.7e308 << false;
}

// Every unit the machine has, and the plain path, give what evaluate() gives along a sweep
// over a whole run, to a few units in the last place, and fail to be finite where it does.
void TstField::sweepAgreesWithEvaluate() {
    QFETCH(double, k);
    QFETCH(bool, valuesAgree);
    std::vector<double> x;
    for (double p = -4.4; p <= 10.5; p += 0.02) {
        x.push_back(p);
    }
    std::vector<double> re(x.size());
    std::vector<double> im(x.size());
    std::vector<double> density(x.size());
    QVERIFY(field::isAvailable(field::bestVectorUnit()));
    for (const auto unit : {field::VectorUnit::None, field::VectorUnit::Sse2,
                            field::VectorUnit::Avx2, field::VectorUnit::Avx512}) {
        if (!field::isAvailable(unit)) {
            continue;
        }
        for (double t = 0.0; t <= 1.3; t += 0.005) {
            std::fill(density.begin(), density.end(), -1.0);
            field::evaluate(x, t, k, k / 2, {re, im, density}, unit);
            for (std::size_t i = 0; i < x.size(); ++i) {
                const field::Sample s = evaluate(x[i], t, k, k / 2);
                const std::array expected{s.re, s.im, s.density};
                const std::array actual{re[i], im[i], density[i]};
                for (std::size_t j = 0; j < expected.size(); ++j) {
                    const bool agree = valuesAgree && std::isfinite(expected[j])
                                           ? std::abs(actual[j] - expected[j]) <= 1e-12
                                           : std::isfinite(actual[j]) == std::isfinite(expected[j]);
                    if (!agree) {
                        QFAIL(
                            qPrintable(QStringLiteral("unit %1, t = %2, x = %3, part %4: %5 for %6")
                                           .arg(int(unit))
                                           .arg(t)
                                           .arg(x[i])
                                           .arg(j)
                                           .arg(actual[j], 0, 'g', 17)
                                           .arg(expected[j], 0, 'g', 17)));
                    }
                }
            }
        }
    }
}

QTEST_APPLESS_MAIN(TstField)
#include "tst_field.moc"
