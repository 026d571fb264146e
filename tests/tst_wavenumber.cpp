#include "wave_number.h"

#include <QLocale>
#include <QTest>

#include <charconv>
#include <cmath>

using app::parseWaveNumber;
using Status = app::WaveNumber::Status;

Q_DECLARE_METATYPE(Status)

class TstWaveNumber : public QObject {
    Q_OBJECT

private slots:
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void independentOfTheLocale();
    void matchesFromCharsToTheBit();
    void messageQuotesTheText_data();
    void messageQuotesTheText();
};

void TstWaveNumber::accepted_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("default") << "14" << 14.0;
    QTest::newRow("plus") << "+14" << 14.0;
    QTest::newRow("minus") << "-3.5" << -3.5;
    QTest::newRow("fraction only") << ".5" << 0.5;
    QTest::newRow("trailing point") << "7." << 7.0;
    QTest::newRow("exponent") << "1.5e1" << 15.0;
    QTest::newRow("exponent sign") << "25E-1" << 2.5;
    QTest::newRow("zero") << "0" << 0.0;
    QTest::newRow("blanks") << "  20\t" << 20.0;
    QTest::newRow("full-width digits") << QStringLiteral("１４") << 14.0;
    QTest::newRow("full-width sign and point") << QStringLiteral("－３．５") << -3.5;
    QTest::newRow("ideographic space") << QStringLiteral("\u3000１４\u3000") << 14.0;
    QTest::newRow("large") << "1e300" << 1e300;
    QTest::newRow("leading zeros") << "0014" << 14.0;
    QTest::newRow("minus sign") << QStringLiteral("\u221214") << -14.0;
    QTest::newRow("minus sign in the exponent") << QStringLiteral("25e\u22121") << 2.5;
    // Too small for a double: the nearest one, with the sign kept.
    QTest::newRow("too small") << "1e-400" << 0.0;
    QTest::newRow("too small negative") << "-1e-400" << -0.0;
    QTest::newRow("rounds to zero") << "2e-324" << 0.0;
    QTest::newRow("rounds to a subnormal") << "2.5e-324" << 4.9e-324;
    QTest::newRow("huge negative exponent") << "1e-99999999999999999999" << 0.0;
    QTest::newRow("many zeros, then a large exponent")
        << "0." + QString(400, '0') + "1e300" << 1e-101;
    QTest::newRow("many digits, then a negative exponent")
        << "1" + QString(400, '0') + "e-800" << 0.0;
}

void TstWaveNumber::accepted() {
    QFETCH(QString, text);
    QFETCH(double, value);
    const app::WaveNumber k = parseWaveNumber(text);
    QVERIFY(k.accepted());
    QCOMPARE(k.value, value);
    QCOMPARE(std::signbit(k.value), std::signbit(value));
}

void TstWaveNumber::refused_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<Status>("status");
    QTest::newRow("empty") << "" << Status::Empty;
    QTest::newRow("blanks only") << "   " << Status::Empty;
    QTest::newRow("word") << "abc" << Status::NotANumber;
    QTest::newRow("comma") << "14,5" << Status::NotANumber;
    QTest::newRow("inner blank") << "1 4" << Status::NotANumber;
    QTest::newRow("sign only") << "-" << Status::NotANumber;
    QTest::newRow("point only") << "." << Status::NotANumber;
    QTest::newRow("two signs") << "+-1" << Status::NotANumber;
    QTest::newRow("bare exponent") << "1e" << Status::NotANumber;
    QTest::newRow("exponent only") << "e5" << Status::NotANumber;
    QTest::newRow("hex") << "0x10" << Status::NotANumber;
    QTest::newRow("inf") << "inf" << Status::NotANumber;
    QTest::newRow("nan") << "nan" << Status::NotANumber;
    QTest::newRow("trailing text") << "14abc" << Status::NotANumber;
    QTest::newRow("kanji") << QStringLiteral("十四") << Status::NotANumber;
    // Only full-width forms stand for digits, not every character that looks like one.
    QTest::newRow("superscript") << QStringLiteral("²") << Status::NotANumber;
    QTest::newRow("circled digits") << QStringLiteral("①④") << Status::NotANumber;
    QTest::newRow("too large") << "1e400" << Status::OutOfRange;
    QTest::newRow("too large negative") << "-1e400" << Status::OutOfRange;
    QTest::newRow("huge exponent") << "1e99999999999999999999" << Status::OutOfRange;
    QTest::newRow("many digits, then a negative exponent")
        << "1" + QString(400, '0') + "e-10" << Status::OutOfRange;
}

void TstWaveNumber::refused() {
    QFETCH(QString, text);
    QFETCH(Status, status);
    QCOMPARE(parseWaveNumber(text).status, status);
}

void TstWaveNumber::independentOfTheLocale() {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(parseWaveNumber("14.5").value, 14.5);
    QCOMPARE(parseWaveNumber("14,5").status, Status::NotANumber);
    QLocale::setDefault(saved);
}

// A plain decimal text gives the correctly rounded double.
void TstWaveNumber::matchesFromCharsToTheBit() {
    for (const char* text : {"0.1", "14.000000000000001", "2.2250738585072014e-308",
                             "1.7976931348623157e308", "123456789012345678901234567890"}) {
        double expected = 0.0;
        std::from_chars(text, text + std::strlen(text), expected);
        QCOMPARE(parseWaveNumber(QString::fromLatin1(text)).value, expected);
    }
}

void TstWaveNumber::messageQuotesTheText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("quoted");
    QTest::newRow("short") << "abc"
                           << "\"abc\"";
    QTest::newRow("long") << QString(100, 'x') << "\"" + QString(39, 'x') + QChar(0x2026) + "\"";
    // A character outside the basic plane, two UTF-16 units, where the cut would fall: kept whole
    // or left out, never halved.
    QTest::newRow("long, cut at an emoji")
        << QString(38, 'x') + QStringLiteral("\U0001F600") + QString(60, 'x')
        << "\"" + QString(38, 'x') + QChar(0x2026) + "\"";
}

void TstWaveNumber::messageQuotesTheText() {
    QFETCH(QString, text);
    QFETCH(QString, quoted);
    const QString message = app::refusalMessage(text, parseWaveNumber(text).status);
    QVERIFY2(message.contains(quoted), qPrintable(message));
    QVERIFY(message.contains("Wave Num"));
    QVERIFY(message.contains("14"));
}

QTEST_APPLESS_MAIN(TstWaveNumber)
#include "tst_wavenumber.moc"
