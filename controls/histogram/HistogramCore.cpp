#include "histogram/HistogramCore.h"

#include <array>
#include <cmath>
#include <limits>

#include "common/BasicText.h"
#include "common/NumberedError.h"

namespace rq::histogram {
namespace {

int64_t floorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int64_t ceilDiv(int64_t a, int64_t b) {
    return -floorDiv(-a, b);
}

void requireInt32(int64_t value) {
    if (value < std::numeric_limits<int32_t>::min() ||
        value > std::numeric_limits<int32_t>::max()) {
        throw runtimeError(RuntimeError::Overflow);
    }
}

// Step heights of the row grid, 9 to 16 rows; 8 rows below the first.
constexpr std::array<int32_t, 8> RowSteps = {1690, 1870, 2055, 2235, 2410, 2595, 2775, 2955};

}  // namespace

void Draw(std::span<const double> DataArray, int16_t Rows, int32_t BarLength, Display& out) {
    for (Row& row : out.rows) {
        row.visible = false;
    }
    if (Rows < 1 || Rows > MaxRows) {
        throw runtimeError(RuntimeError::InvalidCall);
    }
    if (DataArray.empty()) {
        throw runtimeError(RuntimeError::SubscriptOutOfRange);
    }
    const int64_t n = static_cast<int64_t>(DataArray.size());
    requireInt32(n);

    int32_t maxCode = toInt32(DataArray[0]);
    int32_t minCode = maxCode;
    for (double x : DataArray) {
        if (x > maxCode) {
            maxCode = toInt32(x);
        }
        if (x < minCode) {
            minCode = toInt32(x);
        }
    }

    // The sum runs relative to Min and rounded at every step, as a 32-bit integer; the mean is
    // rebuilt from it.
    int32_t sum = 0;
    for (double x : DataArray) {
        sum = toInt32(x - minCode + sum);
    }
    const double mean = static_cast<double>(sum) / static_cast<double>(n) + minCode;
    if (n == 1) {
        throw runtimeError(RuntimeError::DivisionByZero);
    }
    double squares = 0.0;
    for (double x : DataArray) {
        squares += (x - mean) * (x - mean);
    }
    const double stdDev = std::sqrt(squares / static_cast<double>(n - 1));

    out.samples = static_cast<int32_t>(n);
    out.maxCode = maxCode;
    out.minCode = minCode;
    out.results[0] = QString::number(n);
    out.results[1] = QString::number(maxCode);
    out.results[2] = QString::number(minCode);
    const int64_t span = static_cast<int64_t>(maxCode) - minCode + 1;
    requireInt32(span);
    out.spread = static_cast<int32_t>(span);
    out.stdDev = stdDev;
    out.mean = mean;
    out.results[3] = QString::number(span);
    out.results[4] = formatNumber(stdDev, u"#0.000");
    out.results[5] = formatNumber(mean, u"#0.000");

    // Entries in code order. At most Rows + 1 are built: one past the rows is already a failure.
    out.entries.clear();
    out.groupBits = 0;
    out.firstRow = 0;
    out.shownEntries = 0;
    int64_t groupSize = 1;
    int64_t firstAligned = minCode;  // start of the first whole group
    int64_t leadingPartial = 0;      // 1 when the first entry is a partial group
    if (span <= Rows) {
        for (int64_t code = minCode; code <= maxCode; ++code) {
            const auto c = static_cast<int32_t>(code);
            out.entries.push_back({c, c, Dec2Bin(c, 16, 0), 0});
        }
    } else {
        int s = 1;
        while (s <= 16 && (int64_t{1} << s) * Rows < span) {
            ++s;
        }
        if (floorDiv(maxCode, int64_t{1} << s) - floorDiv(minCode, int64_t{1} << s) + 1 > Rows) {
            ++s;
        }
        groupSize = int64_t{1} << s;
        out.groupBits = s;
        int64_t a = ceilDiv(minCode, groupSize) * groupSize;
        firstAligned = a;
        const auto cap = static_cast<size_t>(Rows) + 1;
        if (a > minCode) {
            leadingPartial = 1;
            out.entries.push_back(
                {minCode, static_cast<int32_t>(a - 1), Dec2Bin(minCode, 16, s), 0});
        }
        while (a + groupSize - 1 < maxCode && out.entries.size() < cap) {
            out.entries.push_back({static_cast<int32_t>(a), static_cast<int32_t>(a + groupSize - 1),
                                   Dec2Bin(a, 16, s), 0});
            a += groupSize;
        }
        if (out.entries.size() < cap) {
            out.entries.push_back({static_cast<int32_t>(a), maxCode, Dec2Bin(a, 16, s), 0});
        }
    }

    // Counts per entry, summed wide and checked as each entry is stored.
    std::vector<int64_t> counts(out.entries.size(), 0);
    for (double x : DataArray) {
        const int64_t code = toInt32(x);
        const int64_t index =
            code < firstAligned ? 0 : leadingPartial + floorDiv(code - firstAligned, groupSize);
        if (index < static_cast<int64_t>(counts.size())) {
            ++counts[static_cast<size_t>(index)];
        }
    }
    for (size_t i = 0; i < out.entries.size(); ++i) {
        if (i >= static_cast<size_t>(Rows)) {
            throw runtimeError(RuntimeError::SubscriptOutOfRange);
        }
        if (counts[i] > std::numeric_limits<int16_t>::max()) {
            throw runtimeError(RuntimeError::Overflow);
        }
        out.entries[i].count = static_cast<int16_t>(counts[i]);
    }

    // Used rows in the vertical middle; a bar is its share of all samples.
    int shown = 0;
    for (size_t i = 0; i < out.entries.size(); ++i) {
        if (out.entries[i].count > 0) {
            shown = static_cast<int>(i) + 1;
        }
    }
    const int offset = static_cast<int>(roundHalfEven((Rows - shown) / 2.0));
    out.firstRow = offset;
    out.shownEntries = shown;
    for (int i = 0; i < shown; ++i) {
        const Entry& entry = out.entries[static_cast<size_t>(i)];
        Row& row = out.rows[static_cast<size_t>(i + offset)];
        row.code = entry.text;
        row.count = QString::number(entry.count);
        row.barWidth = static_cast<double>(entry.count) / static_cast<double>(n) * BarLength;
        row.visible = true;
    }
}

QString Dec2Bin(int64_t Number, int16_t NumBits, double Blanks) {
    if (NumBits < 1 || NumBits > 31) {
        throw runtimeError(RuntimeError::InvalidCall);
    }
    requireInt32(Number);
    const int64_t full = (int64_t{1} << NumBits) - 1;
    int64_t v = Number;
    if (v < 0) {
        v = (int64_t{1} << NumBits) + v;
    }
    const int64_t mask = int64_t{1} << (NumBits - 1);
    QString text;
    for (int c = NumBits - 1; c >= Blanks; --c) {
        text += (v & mask) != 0 ? u'1' : u'0';
        v = (v * 2) & full;
    }
    if (Blanks > 0) {
        text += QString(toInt32(Blanks), u'X');
    }
    return text;
}

int32_t snapHeight(int32_t height) {
    // Each test sees the height as the previous one left it.
    int32_t h = height;
    if (h < 1595) {
        h = 1515;
    }
    if (h > 2955) {
        h = 2955;
    }
    constexpr struct {
        int32_t from, below, to;
    } Steps[] = {{1595, 1775, 1690}, {1775, 1955, 1870}, {1955, 2135, 2055}, {2135, 2315, 2235},
                 {2315, 2495, 2410}, {2495, 2675, 2595}, {2675, 2855, 2775}, {2855, 3035, 2955}};
    for (const auto& step : Steps) {
        if (h >= step.from && h < step.below) {
            h = step.to;
        }
    }
    return h;
}

int16_t rowsForHeight(int32_t height) {
    int16_t rows = MinRows;
    for (int32_t step : RowSteps) {
        if (height >= step) {
            ++rows;
        }
    }
    return rows;
}

Layout layout(int32_t controlWidth, int32_t controlHeight, int32_t infoWidth) {
    Layout l;
    l.panelWidth = controlWidth - infoWidth - 30;
    l.panelHeight = controlHeight;
    l.infoLeft = l.panelWidth + 10;
    l.countLeft = controlWidth - 555 - infoWidth;
    l.barLength = l.countLeft - BarLeft - 200;
    return l;
}

}  // namespace rq::histogram
