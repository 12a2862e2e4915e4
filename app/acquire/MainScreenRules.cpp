#include "acquire/MainScreenRules.h"

#include "common/BasicText.h"

namespace rq {
namespace {

constexpr uint32_t kBlue = 0xFF0000;

}  // namespace

MainLayout designLayout() {
    MainLayout l;
    l.stripDSO = {60, 1560, 7395, 2535};
    l.StripFFT = {120, 4080, 7335, 2295};
    l.QuorFFTControl1 = {7500, 4140, 1755, 2235};
    l.QuorHistogram1 = {360, 6480, 9135, 1515};
    l.lblCursorInfo = {7500, 3660, 1755, 435};
    l.cmdQuit = {1150, 1080, 1095, 360};
    l.optionsLeft = 7560;
    return l;
}

bool resizeMainLayout(MainLayout& l, int windowWidth, int windowHeight) {
    // A size that cannot be given ends the layout as a failed property assignment would.
    const auto size = [](int& target, int value) {
        if (value < 0) {
            return false;
        }
        target = value;
        return true;
    };
    if (!size(l.StripFFT.width, windowWidth - l.QuorFFTControl1.width - 240) ||
        !size(l.stripDSO.width, l.StripFFT.width)) {
        return false;
    }
    l.optionsLeft = l.stripDSO.left + l.stripDSO.width + 60;
    l.QuorFFTControl1.left = l.StripFFT.left + l.StripFFT.width + 60;
    l.QuorHistogram1.left = l.StripFFT.left;
    if (!size(l.QuorHistogram1.width, windowWidth - 180)) {
        return false;
    }
    l.lblCursorInfo.left = l.QuorFFTControl1.left;
    l.lblCursorInfo.width = l.QuorFFTControl1.width;
    const int h = (windowHeight - l.cmdQuit.top - l.cmdQuit.height) / 2 - 420;
    if (!size(l.stripDSO.height, h)) {
        return false;
    }
    l.StripFFT.top = l.stripDSO.top + h + 60;
    l.StripFFT.height = h;
    l.QuorFFTControl1.top = l.StripFFT.top;
    l.QuorFFTControl1.height = l.StripFFT.height;
    l.QuorHistogram1.height = l.StripFFT.height;
    l.QuorHistogram1.top = l.StripFFT.top;
    l.lblCursorInfo.top = l.StripFFT.top - l.lblCursorInfo.height - 60;
    return true;
}

std::optional<QString> timeCursorText(double x, bool volts, const SampleRecord& record) {
    const double index = roundHalfEven(x - 1.0);
    const std::vector<double>& values = volts ? record.VoltsData : record.SampleData;
    if (!(index >= 0.0) || index >= static_cast<double>(values.size())) {
        return std::nullopt;
    }
    const double v = values[static_cast<size_t>(index)];
    const QString sample = QStringLiteral("Sample:") + formatGeneral(x) + u'\r';
    if (volts) {
        return sample + QStringLiteral("Value:") + formatNumber(v, u"0.000000") + u'V';
    }
    return sample + QStringLiteral("Value:") + formatGeneral(v);
}

std::optional<QString> spectrumCursorText(double x, int32_t sampleFreq, int32_t n,
                                          const SampleRecord& record) {
    const double index = roundHalfEven(x - 1.0);
    if (!(index >= 0.0) || index >= static_cast<double>(record.FFTData.size()) || n <= 0) {
        return std::nullopt;
    }
    const double f = x <= 1.0 ? 0.0 : sampleFreq / (n / (x - 1.0));
    return QStringLiteral("Freq:") + formatNumber(f, u"0.00") + QStringLiteral("Hz\rValue:") +
           formatNumber(record.FFTData[static_cast<size_t>(index)], u"0.00") + QStringLiteral("dB");
}

std::vector<SummaryLine> initialSummary() {
    return {{QStringLiteral("Configuration:"), kBlue},
            {QStringLiteral("Part: Not Setup"), std::nullopt},
            {QStringLiteral("Program: None"), std::nullopt},
            {QStringLiteral("Bits:"), std::nullopt},
            {QStringLiteral("Code:"), std::nullopt}};
}

std::vector<SummaryLine> configurationSummary(const Settings& s) {
    return {{QStringLiteral("Configuration:"), kBlue},
            {QStringLiteral("Part:") + s.PartName, std::nullopt},
            {QStringLiteral("Program:") + s.EXEName, std::nullopt},
            {QStringLiteral("Bits:") + formatGeneral(s.NumberOfBits), std::nullopt},
            {s.DataFormat != 0 ? QStringLiteral("Code: 2's Comp") : QStringLiteral("Code: Binary"),
             std::nullopt}};
}

}  // namespace rq
