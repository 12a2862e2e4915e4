#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "state/ProgramState.h"

// The main window's rules that a test wants in their own numbers: the layout on resize in
// twips, the cursor read-outs and the configuration summary. The window reads its widgets into
// these, calls the rule and writes the result back.
namespace rq {

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const TwipsRect&) const = default;
};

// The controls the resize moves. The option boxes (grids, zoom handles, tick points, Hold Zoom
// and the display-mode list) share one left edge.
struct MainLayout {
    TwipsRect stripDSO;
    TwipsRect StripFFT;
    TwipsRect QuorFFTControl1;
    TwipsRect QuorHistogram1;
    TwipsRect lblCursorInfo;
    TwipsRect cmdQuit;
    int optionsLeft = 0;
};

// The design places of the window's controls, in twips.
MainLayout designLayout();

// Form_Resize for a window of the given outer size. A step that would give a control a negative
// width or height stops the layout there, quietly: the steps before it keep their effect.
// Returns false when it stopped early.
bool resizeMainLayout(MainLayout& layout, int windowWidth, int windowHeight);

// The time-domain cursor read-out at point x (counted from 1): the sample number and its code,
// or its volts with six decimals and "V". Lines are joined by CR. Empty when the point is
// outside the record.
std::optional<QString> timeCursorText(double x, bool volts, const SampleRecord& record);
// The spectrum cursor read-out at point x: the frequency of position x - 1 of a record of n
// samples at sampleFreq (0 at the first point) and its level in dB. Empty outside the spectrum.
std::optional<QString> spectrumCursorText(double x, int32_t sampleFreq, int32_t n,
                                          const SampleRecord& record);

// The configuration summary: its lines, and the colour of each (none for the list's own).
struct SummaryLine {
    QString text;
    std::optional<uint32_t> colour;
};
std::vector<SummaryLine> initialSummary();
std::vector<SummaryLine> configurationSummary(const Settings& settings);

}  // namespace rq
