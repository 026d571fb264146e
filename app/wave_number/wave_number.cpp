#include "wave_number.h"

#include <QCoreApplication>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace app {

namespace {

constexpr qsizetype kQuotedLength = 40;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// [sign] (digits [. [digits]] | . digits) [(e|E) [sign] digits], and nothing else.
bool isPlainDecimal(std::string_view s) {
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t begin = i;
        while (i < s.size() && isDigit(s[i])) {
            ++i;
        }
        return i - begin;
    };
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        ++i;
    }
    std::size_t mantissa = digits();
    if (i < s.size() && s[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) {
        return false;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            ++i;
        }
        if (digits() == 0) {
            return false;
        }
    }
    return i == s.size();
}

// Full-width forms and the minus sign of typeset text become the ASCII characters they stand
// for. Only these: compatibility normalisation would also turn superscripts, circled digits and
// the like into digits.
QString plainForms(const QString& text) {
    constexpr char16_t kFirst = 0xFF01;  // full-width '!'
    constexpr char16_t kLast = 0xFF5E;   // full-width '~'
    constexpr char16_t kShift = 0xFF01 - u'!';
    constexpr char16_t kMinusSign = 0x2212;
    QString plain = text;
    for (QChar& c : plain) {
        if (c.unicode() >= kFirst && c.unicode() <= kLast) {
            c = QChar(char16_t(c.unicode() - kShift));
        } else if (c.unicode() == kMinusSign) {
            c = QChar(u'-');
        }
    }
    return plain;
}

// Whether a plain decimal that is out of range for a double is too large rather than too small:
// whether its first significant digit stands at or above the units place. Out of range, the
// number is either above 1e308 or below 1e-323, so this decides it however the digits and the
// exponent share the magnitude. The written exponent saturates far beyond any position a digit
// of a text in memory can have, so that it cannot overflow.
bool isTooLarge(std::string_view s) {
    constexpr std::int64_t kSaturated = 1'000'000'000'000'000;
    const std::size_t e = std::min(s.find_first_of("eE"), s.size());
    const std::string_view mantissa = s.substr(0, e);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) {
        return false;  // zero is never out of range
    }
    std::int64_t exponent =
        first < point ? std::int64_t(point - first - 1) : -std::int64_t(first - point);
    if (e < s.size()) {
        std::size_t i = e + 1;
        const bool negative = s[i] == '-';
        if (s[i] == '+' || s[i] == '-') {
            ++i;
        }
        std::int64_t written = 0;
        for (; i < s.size() && written < kSaturated; ++i) {
            written = written * 10 + (s[i] - '0');
        }
        exponent += negative ? -written : written;
    }
    return exponent >= 0;
}

// The nearest double to a plain decimal, as std::from_chars reads it. Where the standard library
// has no from_chars for double, as emscripten's has not, the C library's strtod reads it, in the
// C locale that the browser's always has: it too rounds to nearest, gives infinity above the
// range and zero below it, and the caller takes those as from_chars' range errors.
std::from_chars_result readDouble(std::string_view digits, double& value) {
#ifdef WAVE_NUMBER_WITH_STRTOD
    const std::string terminated(digits);
    char* end = nullptr;
    value = std::strtod(terminated.c_str(), &end);
    return {digits.data() + (end - terminated.c_str()), std::errc()};
#else
    return std::from_chars(digits.data(), digits.data() + digits.size(), value);
#endif
}

}  // namespace

WaveNumber parseWaveNumber(const QString& text) {
    using Status = WaveNumber::Status;
    const QString normalised = plainForms(text).trimmed();
    if (normalised.isEmpty()) {
        return {Status::Empty};
    }
    std::string ascii;
    ascii.reserve(std::size_t(normalised.size()));
    for (const QChar c : normalised) {
        if (c.unicode() > 0x7f) {
            return {Status::NotANumber};
        }
        ascii.push_back(char(c.unicode()));
    }
    if (!isPlainDecimal(ascii)) {
        return {Status::NotANumber};
    }
    // from_chars reads a leading minus but not a plus.
    const std::string_view digits =
        ascii.front() == '+' ? std::string_view(ascii).substr(1) : std::string_view(ascii);
    double value = 0.0;
    const auto [end, error] = readDouble(digits, value);
    if (error == std::errc::result_out_of_range) {
        if (isTooLarge(digits)) {
            return {Status::OutOfRange};
        }
        // Too small: the nearest double is a zero (from_chars gives subnormals as values).
        return {Status::Accepted, ascii.front() == '-' ? -0.0 : 0.0};
    }
    if (!std::isfinite(value)) {
        return {Status::OutOfRange};
    }
    if (error != std::errc() || end != digits.data() + digits.size()) {
        return {Status::NotANumber};
    }
    return {Status::Accepted, value};
}

QString refusalMessage(const QString& text, WaveNumber::Status status) {
    QString quoted = text;
    if (quoted.size() > kQuotedLength) {
        qsizetype keep = kQuotedLength - 1;
        if (quoted.at(keep - 1).isHighSurrogate()) {
            --keep;  // never split a character in two
        }
        quoted = quoted.left(keep) + QChar(0x2026);
    }
    //: The second line of every refusal. The examples are read with a decimal point in every
    //: language.
    const QString accepted = QCoreApplication::translate(
        "WaveNumber", "Type a decimal number such as 14, -3.5 or 1.5e1.");
    switch (status) {
        case WaveNumber::Status::Empty:
            //: Wave Num is the caption of the field, which stays as it is in every language.
            return QCoreApplication::translate("WaveNumber", "Wave Num is empty.") + "\n" +
                   accepted;
        case WaveNumber::Status::OutOfRange:
            //: %1 is the refused text, as typed.
            return QCoreApplication::translate("WaveNumber", "Wave Num \"%1\" is out of range.")
                       .arg(quoted) +
                   "\n" + accepted;
        case WaveNumber::Status::NotANumber:
        case WaveNumber::Status::Accepted:
            break;
    }
    //: %1 is the refused text, as typed.
    return QCoreApplication::translate("WaveNumber", "Wave Num \"%1\" is not a number.")
               .arg(quoted) +
           "\n" + accepted;
}

}  // namespace app
