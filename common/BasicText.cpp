#include "common/BasicText.h"

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "common/NumberedError.h"

namespace rq {
namespace {

bool isIgnoredBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

// Radix value of a digit string (hex or octal), wrapped to 16 or 32 bits signed when it fits.
double radixValue(const std::string& digits, int base) {
    if (digits.empty()) {
        return 0.0;
    }
    double value = 0.0;
    for (char d : digits) {
        const int v = (d >= '0' && d <= '9') ? d - '0' : (std::toupper(d) - 'A' + 10);
        value = value * base + v;
    }
    if (value <= 0xFFFF) {
        return static_cast<int16_t>(static_cast<uint16_t>(value));
    }
    if (value <= 0xFFFFFFFFu) {
        return static_cast<int32_t>(static_cast<uint32_t>(value));
    }
    return value;
}

bool isRadixDigit(char c, int base) {
    if (base == 16) {
        return std::isxdigit(static_cast<unsigned char>(c)) != 0;
    }
    return c >= '0' && c <= '7';
}

// Reads a number from the start of chars. Returns the value and the count of characters used;
// 0 characters used means no number.
struct Scan {
    double value = 0.0;
    size_t used = 0;
};

Scan scanNumber(const std::string& s) {
    Scan out;
    size_t i = 0;
    if (i + 1 < s.size() && s[i] == '&') {
        const char kind = static_cast<char>(std::toupper(s[i + 1]));
        const int base = kind == 'H' ? 16 : (kind == 'O' ? 8 : 0);
        if (base != 0) {
            i += 2;
            std::string digits;
            while (i < s.size() && isRadixDigit(s[i], base)) {
                digits += s[i++];
            }
            out.value = radixValue(digits, base);
            out.used = digits.empty() ? 0 : i;
            return out;
        }
    }
    std::string text;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        text += s[i++];
    }
    bool mantissaDigits = false;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
        text += s[i++];
        mantissaDigits = true;
    }
    if (i < s.size() && s[i] == '.') {
        text += s[i++];
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
            text += s[i++];
            mantissaDigits = true;
        }
    }
    if (!mantissaDigits) {
        return out;
    }
    size_t used = i;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            exponent += s[j++];
        }
        bool expDigits = false;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) {
            exponent += s[j++];
            expDigits = true;
        }
        if (expDigits) {
            text += exponent;
            used = j;
        }
    }
    out.value = std::strtod(text.c_str(), nullptr);
    out.used = used;
    return out;
}

std::string latin1(QStringView text) {
    return text.toString().toStdString();
}

}  // namespace

double leadingNumber(QStringView text) {
    return leadingNumberOf(text).value_or(0.0);
}

std::optional<double> leadingNumberOf(QStringView text) {
    std::string compact;
    compact.reserve(static_cast<size_t>(text.size()));
    for (QChar c : text) {
        if (isIgnoredBlank(c)) {
            continue;
        }
        // Anything outside ASCII ends a number anyway.
        compact += c.unicode() < 128 ? static_cast<char>(c.unicode()) : '\x7f';
    }
    const Scan scan = scanNumber(compact);
    if (!std::isfinite(scan.value)) {
        throw runtimeError(RuntimeError::Overflow);
    }
    if (scan.used == 0) {
        return std::nullopt;
    }
    return scan.value;
}

std::optional<double> parseNumber(QStringView text) {
    // Only what the lenient reading ignores (blanks, tabs, line feeds), not every space
    // Unicode knows: a no-break space or a carriage return stops both readings alike.
    while (!text.isEmpty() && isIgnoredBlank(text.front())) {
        text = text.mid(1);
    }
    while (!text.isEmpty() && isIgnoredBlank(text.back())) {
        text.chop(1);
    }
    const std::string s = latin1(text);
    if (s.empty()) {
        return std::nullopt;
    }
    const Scan scan = scanNumber(s);
    if (scan.used == 0 || scan.used != s.size() || !std::isfinite(scan.value)) {
        return std::nullopt;
    }
    return scan.value;
}

double roundHalfEven(double value) {
    // Plain arithmetic rather than the rounding mode: this runs for every sample of every
    // record, and switching the mode twice a call cost a tenth of a capture's time.
    if (std::fabs(value - std::trunc(value)) == 0.5) {
        return 2.0 * std::round(value / 2.0);
    }
    return std::round(value);
}

int16_t toInt16(double value) {
    const double r = roundHalfEven(value);
    if (!std::isfinite(r) || r < -32768.0 || r > 32767.0) {
        throw runtimeError(RuntimeError::Overflow);
    }
    return static_cast<int16_t>(r);
}

int32_t toInt32(double value) {
    const double r = roundHalfEven(value);
    if (!std::isfinite(r) || r < -2147483648.0 || r > 2147483647.0) {
        throw runtimeError(RuntimeError::Overflow);
    }
    return static_cast<int32_t>(r);
}

QString formatNumber(double value, QStringView pattern) {
    int minIntDigits = 0;
    int decimals = 0;
    bool afterPoint = false;
    for (QChar c : pattern) {
        if (c == u'.') {
            afterPoint = true;
        } else if (afterPoint && (c == u'0' || c == u'#')) {
            ++decimals;
        } else if (!afterPoint && c == u'0') {
            ++minIntDigits;
        }
    }
    if (!std::isfinite(value)) {
        return std::isnan(value)
                   ? QStringLiteral("NaN")
                   : (value < 0 ? QStringLiteral("-Infinity") : QStringLiteral("Infinity"));
    }
    const bool negative = std::signbit(value);
    // Enough digits past the kept ones that a value just below a half is never taken for one.
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*f", decimals + 25, std::fabs(value));
    std::string all(buf);
    const size_t point = all.find('.');
    std::string digits = all.substr(0, point) + all.substr(point + 1, decimals);
    const char next = all[point + 1 + decimals];
    size_t intLen = point;
    if (next >= '5') {
        int k = static_cast<int>(digits.size()) - 1;
        while (k >= 0 && digits[k] == '9') {
            digits[k--] = '0';
        }
        if (k >= 0) {
            ++digits[k];
        } else {
            digits.insert(digits.begin(), '1');
            ++intLen;
        }
    }
    std::string intPart = digits.substr(0, intLen);
    const std::string frac = digits.substr(intLen);
    size_t firstNonZero = intPart.find_first_not_of('0');
    intPart = firstNonZero == std::string::npos ? std::string() : intPart.substr(firstNonZero);
    if (static_cast<int>(intPart.size()) < minIntDigits) {
        intPart.insert(0, minIntDigits - intPart.size(), '0');
    }
    std::string out = intPart;
    if (decimals > 0) {
        out += '.';
        out += frac;
    }
    const bool allZero = digits.find_first_not_of('0') == std::string::npos;
    if (negative && !allZero) {
        out.insert(out.begin(), '-');
    }
    return QString::fromStdString(out);
}

QString formatGeneral(double value) {
    if (value == 0.0) {
        return QStringLiteral("0");
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15G", value);
    return QString::fromLatin1(buf);
}

QString hexPadded(int64_t value, int width, int bits) {
    const uint64_t mask = bits >= 64 ? ~0ULL : ((1ULL << bits) - 1);
    QString s = QString::number(static_cast<uint64_t>(value) & mask, 16).toUpper();
    if (s.size() < width) {
        s.prepend(QString(width - s.size(), u'0'));
    }
    return s;
}

}  // namespace rq
