#include "acquire/Analysis.h"

#include <cmath>

#include "acquire/Conversion.h"
#include "common/BasicText.h"
#include "common/NumberedError.h"

namespace rq {

DispatchFailure dispatchFailure(int number, int cause) {
    const char* what = "";
    switch (number) {
        case 530:
            what = " occured while attempting to graph data";
            break;
        case 531:
            what = " occured while calculating FFT";
            break;
        case 532:
            what = " occured while attempting to graph FFT";
            break;
        default:
            what = " occured while calculating Histogram";
            break;
    }
    return {number, cause,
            QStringLiteral("Error ") + formatGeneral(number) + u':' + formatGeneral(cause) +
                QString::fromLatin1(what)};
}

int convertLoadedRecord(ProgramState& state) {
    try {
        ConvertToVolts(state.CurrentSettings, state.Record.SampleData, state.Record.VoltsData);
    } catch (const NumberedError& e) {
        return e.number();
    }
    return 0;
}

void spectrumOfRecord(ProgramState& state, RecordAnalysis& analysers,
                      std::optional<double> sampleFrequency) {
    SampleRecord& record = state.Record;
    analysers.CalcFFT(record.SampleData, record.FFTData, sampleFrequency);
    if (!record.FFTData.empty()) {
        record.fftDimensioned = true;
    }
}

std::optional<DispatchFailure> spectrumOfLoadedRecord(ProgramState& state,
                                                      RecordAnalysis& analysers, int pending,
                                                      std::optional<double> sampleFrequency) {
    spectrumOfRecord(state, analysers, sampleFrequency);
    if (pending != 0) {
        return dispatchFailure(531, pending);
    }
    return std::nullopt;
}

std::optional<DispatchFailure> histogramOfRecord(ProgramState& state, RecordAnalysis& analysers) {
    try {
        analysers.Draw(state.Record.SampleData, state.CurrentSettings.NumberOfBits);
    } catch (const NumberedError& e) {
        return dispatchFailure(533, e.number());
    }
    return std::nullopt;
}

QString samplesReadLine(size_t samples) {
    return formatGeneral(static_cast<double>(samples)) + QStringLiteral(" Data Samples Read");
}

LoadedRecordChecks checkLoadedRecord(const ProgramState& state) {
    const Settings& s = state.CurrentSettings;
    LoadedRecordChecks checks;
    checks.notNumbers = state.Record.loadedNotNumbers;
    checks.range = converterCodes(s.NumberOfBits, s.DataFormat == 1);
    checks.outsideRange = static_cast<int>(countOutside(state.Record.SampleData, checks.range));
    return checks;
}

QString notNumbersLine(const LoadedRecordChecks& checks) {
    return formatGeneral(checks.notNumbers) +
           QStringLiteral(" items were not numbers and read as 0");
}

QString outsideRangeLine(const LoadedRecordChecks& checks) {
    return formatGeneral(checks.outsideRange) + QStringLiteral(" values outside ") +
           formatGeneral(checks.range.lowest) + QStringLiteral(" to ") +
           formatGeneral(checks.range.highest);
}

void reportLoadedRecord(const ProgramState& state, MessageList& list) {
    list.AddItem(samplesReadLine(state.Record.SampleData.size()));
    const LoadedRecordChecks checks = checkLoadedRecord(state);
    if (checks.notNumbers > 0) {
        list.AddItem(notNumbersLine(checks), 255u);
    }
    if (checks.outsideRange > 0) {
        list.AddItem(outsideRangeLine(checks));
    }
}

PanelResults panelResults(const FftAnalysis& fft, size_t points) {
    PanelResults results{0.0, fft.SNR(), fft.THD()};
    // The read-out names the peak's bin, one below its position (none after a failure or while
    // averaging).
    if (fft.lastError() == 0 && fft.lastPeak() > 0 && points > 0) {
        const double n = static_cast<double>(points);
        results.frequency = (fft.SampleFrequency() / 2.0) / (n / 2.0) * (fft.lastPeak() - 1);
    }
    return results;
}

}  // namespace rq
