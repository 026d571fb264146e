// Fuzz target for the Wave Num parser: the input bytes are read as UTF-8 text, and the parser's
// answer is checked against a reference reading written independently of it.
#include "wave_number.h"

#include <QString>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

using Status = app::WaveNumber::Status;

// The full-width forms U+FF01 to U+FF5E are the printable ASCII characters shifted up.
constexpr char16_t kFullWidthFirst = 0xFF01;
constexpr char16_t kFullWidthLast = 0xFF5E;
constexpr char16_t kFullWidthShift = 0xFEE0;
constexpr char16_t kIdeographicSpace = 0x3000;
constexpr char16_t kMinusSign = 0x2212;

// The plain text a Wave Num text stands for: full-width forms and minus signs replaced by their
// ASCII equivalents and blanks around it dropped; nothing when any other non-ASCII character is
// left.
std::optional<std::string> plainEquivalent(const QString& text) {
    QString plain = text;
    plain.replace(QChar(kMinusSign), QChar(u'-'));
    for (QChar& c : plain) {
        if (c.unicode() >= kFullWidthFirst && c.unicode() <= kFullWidthLast) {
            c = QChar(char16_t(c.unicode() - kFullWidthShift));
        }
    }
    plain = plain.trimmed();
    std::string ascii;
    for (const QChar c : plain) {
        if (c.unicode() > 0x7f) {
            return std::nullopt;
        }
        ascii.push_back(char(c.unicode()));
    }
    return ascii;
}

// [sign] mantissa [exponent] as a small state machine, so that it shares no code with the
// parser's own grammar.
bool isPlainDecimal(std::string_view s) {
    enum State { Start, Sign, Integer, Point, Fraction, E, ESign, Exponent, Bad };
    State state = Start;
    for (const char c : s) {
        const bool digit = c >= '0' && c <= '9';
        const bool sign = c == '+' || c == '-';
        const bool e = c == 'e' || c == 'E';
        switch (state) {
            case Start:
                state = sign ? Sign : digit ? Integer : c == '.' ? Point : Bad;
                break;
            case Sign:
                state = digit ? Integer : c == '.' ? Point : Bad;
                break;
            case Integer:
                state = digit ? Integer : c == '.' ? Fraction : e ? E : Bad;
                break;
            case Point:  // a point with no digit before it needs one after it
                state = digit ? Fraction : Bad;
                break;
            case Fraction:
                state = digit ? Fraction : e ? E : Bad;
                break;
            case E:
                state = sign ? ESign : digit ? Exponent : Bad;
                break;
            case ESign:
            case Exponent:
                state = digit ? Exponent : Bad;
                break;
            case Bad:
                return false;
        }
    }
    return state == Integer || state == Fraction || state == Exponent;
}

// Whether a plain decimal that from_chars finds out of range is too large rather than too small.
// Written as 0.DDD x 10^n with a first D that is not zero, the number is at least 1 exactly when
// n >= 1, and every number out of range is far from 1 on one side or the other.
bool tooLarge(std::string_view number) {
    const std::size_t e = number.find_first_of("eE");
    std::string digits;
    std::optional<std::int64_t> point;
    for (const char c : number.substr(0, e)) {
        if (c == '.') {
            point = std::int64_t(digits.size());
        } else if (c >= '0' && c <= '9') {
            digits.push_back(c);
        }
    }
    const std::size_t lead = digits.find_first_not_of('0');
    if (lead == std::string::npos) {
        std::abort();  // zero is never out of range
    }
    const std::int64_t n = point.value_or(std::int64_t(digits.size())) - std::int64_t(lead);
    if (e == std::string_view::npos) {
        return n >= 1;
    }
    std::string_view exponent = number.substr(e + 1);
    if (exponent.front() == '+') {
        exponent.remove_prefix(1);
    }
    std::int64_t written = 0;
    const auto [end, error] =
        std::from_chars(exponent.data(), exponent.data() + exponent.size(), written);
    if (error == std::errc::result_out_of_range) {
        return exponent.front() != '-';  // beyond any number of digits in a text
    }
    return written >= 1 - n;
}

app::WaveNumber expectedReading(const QString& text) {
    const std::optional<std::string> plain = plainEquivalent(text);
    if (!plain) {
        return {Status::NotANumber};
    }
    if (plain->empty()) {
        return {Status::Empty};
    }
    if (!isPlainDecimal(*plain)) {
        return {Status::NotANumber};
    }
    std::string_view digits = *plain;
    if (digits.front() == '+') {
        digits.remove_prefix(1);  // from_chars takes no plus
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error == std::errc::result_out_of_range) {
        if (tooLarge(digits)) {
            return {Status::OutOfRange};
        }
        return {Status::Accepted, std::copysign(0.0, digits.front() == '-' ? -1.0 : 1.0)};
    }
    if (error != std::errc() || end != digits.data() + digits.size()) {
        std::abort();  // the grammar above let through what from_chars does not read
    }
    return {Status::Accepted, value};
}

bool sameReading(const app::WaveNumber& a, const app::WaveNumber& b) {
    return a.status == b.status && (!a.accepted() || std::bit_cast<std::uint64_t>(a.value) ==
                                                         std::bit_cast<std::uint64_t>(b.value));
}

// The same text in full-width forms wherever it has one.
QString toFullWidth(const QString& text) {
    QString wide = text;
    for (QChar& c : wide) {
        if (c == u' ') {
            c = QChar(kIdeographicSpace);
        } else if (c.unicode() >= kFullWidthFirst - kFullWidthShift &&
                   c.unicode() <= kFullWidthLast - kFullWidthShift) {
            c = QChar(char16_t(c.unicode() + kFullWidthShift));
        }
    }
    return wide;
}

void check(bool property) {
    if (!property) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const app::WaveNumber reading = app::parseWaveNumber(text);
    check(!reading.accepted() || std::isfinite(reading.value));
    check(sameReading(reading, expectedReading(text)));
    if (!reading.accepted()) {
        check(!app::refusalMessage(text, reading.status).isEmpty());
    }
    // The forms the parser adds read exactly as their plain equivalents.
    check(sameReading(app::parseWaveNumber(toFullWidth(text)), reading));
    QString typeset = text;
    check(sameReading(app::parseWaveNumber(typeset.replace(u'-', QChar(kMinusSign))), reading));
    check(sameReading(
        app::parseWaveNumber(QStringLiteral("\u3000\t ") + text + QStringLiteral(" \u3000")),
        reading));
    return 0;
}
