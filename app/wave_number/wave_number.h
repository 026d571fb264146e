// Reading the wave number from the text of the Wave Num field: a finite double, or the reason
// the text is refused.
#pragma once

#include <QString>

namespace app {

struct WaveNumber {
    enum class Status { Accepted, Empty, NotANumber, OutOfRange };
    Status status = Status::Empty;
    double value = 0.0;

    bool accepted() const { return status == Status::Accepted; }
};

// Accepts an optional sign, digits with an optional fraction and an optional exponent, with
// blanks around them; full-width forms and the minus sign U+2212 count as their plain
// equivalents. A number too small for a double reads as the nearest one, a signed zero or a
// subnormal; only one too large is out of range. Independent of the locale: the decimal
// separator is always the point.
WaveNumber parseWaveNumber(const QString& text);

// A sentence for the user that quotes the refused text, shortened when long.
QString refusalMessage(const QString& text, WaveNumber::Status status);

}  // namespace app
