#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

// Text and number conventions shared by every part of the program: the lenient reading of the
// leading number of a text, integer conversion with halves rounded to even, and the fixed display
// patterns used for read-outs, files and messages.
namespace rq {

// The leading number of a text, 0 when there is none. Blanks, tabs and line feeds are ignored
// anywhere, "." is the decimal point, an exponent "E" is accepted, and "&H" / "&O" introduce
// hexadecimal and octal values (which wrap to 16 or 32 bits signed, as the hardware registers do).
// Raises 6 when the value does not fit a double.
double leadingNumber(QStringView text);
// The same, empty when the text has no leading number (an empty text included).
std::optional<double> leadingNumberOf(QStringView text);

// Strict conversion of a whole text (blanks, tabs and line feeds at both ends allowed): a decimal
// number with optional sign, fraction and exponent, or an "&H" / "&O" value. Empty when the text is
// not a number.
std::optional<double> parseNumber(QStringView text);

// Nearest whole number, halves to even.
double roundHalfEven(double value);

// Conversions to 16- and 32-bit integers rounding halves to even; 6 (overflow) when out of range.
int16_t toInt16(double value);
int32_t toInt32(double value);

// Same, from the leading number of a text.
inline int16_t toInt16(QStringView text) {
    return toInt16(leadingNumber(text));
}
inline int32_t toInt32(QStringView text) {
    return toInt32(leadingNumber(text));
}

// A number shown with a digit pattern such as "0.000000", "#0.0000", "00.000" or ".0": as many
// decimals as the pattern has after its point, at least as many integer digits as it has "0"s
// before it (none for ".0"), halves rounded away from zero, no sign on a value that shows as zero.
QString formatNumber(double value, QStringView pattern);

// A number as the general number format writes it: up to 15 significant digits, no trailing
// zeros, an exponent for very large or very small values ("1E+15").
QString formatGeneral(double value);

// Upper-case hexadecimal of the value's two's-complement pattern in the given number of bits,
// left-padded with "0" to width; a value that needs more digits is written in full.
QString hexPadded(int64_t value, int width, int bits = 32);

// "True" / "False" as booleans are written to text.
inline QString boolText(bool b) {
    return b ? QStringLiteral("True") : QStringLiteral("False");
}

}  // namespace rq
