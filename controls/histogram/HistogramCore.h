#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

// The computation behind the code histogram control: counts, statistics, grouping of codes into
// the available rows, row placement, and the height snapping of the control. The control maps
// a HistogramDisplay to its labels and bars; the command-line front end prints it.
namespace rq::histogram {

constexpr int MaxRows = 16;
constexpr int MinRows = 8;

// One row of the control as it is shown (code label, count label and bar).
struct Row {
    bool visible = false;
    QString code;
    QString count;
    double barWidth = 0.0;  // twips
};

// One entry of the grouping: the codes first..last share a row.
struct Entry {
    int32_t first = 0;
    int32_t last = 0;
    QString text;
    int16_t count = 0;
};

// What Draw leaves on the control. Kept by the caller across calls: a failing Draw hides all
// rows and keeps statistics texts not yet rewritten, as the control's labels would.
struct Display {
    std::array<Row, MaxRows> rows;
    // "Samples:", "Max Code:", "Min Code:", "Spread:", "Std Dev:", "Mean:" values.
    std::array<QString, 6> results;

    // The numbers behind the texts, and how the entries were placed.
    int32_t samples = 0;
    int32_t maxCode = 0;
    int32_t minCode = 0;
    int32_t spread = 0;
    double stdDev = 0.0;
    double mean = 0.0;
    int groupBits = 0;  // s: codes grouped by 2^s, 0 when each code has its own row
    std::vector<Entry> entries;
    int firstRow = 0;  // row of entries[0]
    int shownEntries = 0;
};

// Counts the codes of DataArray (n >= 2) and lays them out in Rows rows (1..16) of a control
// whose full bar is BarLength twips. Raises 11 for a single element, 6 for a row count past
// 32767 or a code outside 32 bits, 9 for an empty record.
void Draw(std::span<const double> DataArray, int16_t Rows, int32_t BarLength, Display& out);

// The top NumBits - Blanks bits of Number in binary, then Blanks "X" characters.
QString Dec2Bin(int64_t Number, int16_t NumBits, double Blanks);

// Geometry, in twips. The control's height snaps to its row grid.
int32_t snapHeight(int32_t height);
// Usable rows for a height as the platform reports it (8 at 1515 up to 16 at 2955); a height
// rounded to whole pixels still counts.
int16_t rowsForHeight(int32_t height);

struct Layout {
    int32_t panelWidth = 0;
    int32_t panelHeight = 0;
    int32_t infoLeft = 0;
    int32_t countLeft = 0;  // left of every count label
    int32_t barLength = 0;  // width of a bar that holds every sample
};
// The panel and statistics box side by side, the counts at the panel's right edge.
Layout layout(int32_t controlWidth, int32_t controlHeight, int32_t infoWidth);

// Fixed positions of the rows' constituents.
constexpr int32_t RowPitch = 180;
constexpr int32_t RowHeight = 195;
constexpr int32_t CodeLeft = 120;
constexpr int32_t CodeWidth = 1600;
constexpr int32_t BarLeft = 1750;
constexpr int32_t CountWidth = 495;

}  // namespace rq::histogram
