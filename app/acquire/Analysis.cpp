#include "Analysis.h"

#include "BasicText.h"
#include "Conversion.h"
#include "NumberedError.h"

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

std::optional<DispatchFailure> analyseLoadedRecord(ProgramState& state, Analysers& analysers,
                                                   std::optional<double> sampleFrequency) {
    SampleRecord& record = state.Record;
    // A failed conversion stays pending until the spectrum's check, so it reads as 531.
    int pending = 0;
    try {
        ConvertToVolts(state.CurrentSettings, record.SampleData, record.VoltsData);
    } catch (const NumberedError& e) {
        pending = e.number();
    }
    analysers.fft.CalcFFT(record.SampleData, record.FFTData, sampleFrequency);
    record.fftDimensioned = true;
    if (pending == 0) {
        pending = analysers.fft.lastError();
    }
    if (pending != 0) {
        return dispatchFailure(531, pending);
    }
    try {
        histogram::Draw(record.SampleData, analysers.histogramRows, analysers.histogramBarLength,
                        analysers.histogram);
    } catch (const NumberedError& e) {
        return dispatchFailure(533, e.number());
    }
    return std::nullopt;
}

void analyseCapturedRecord(ProgramState& state, Analysers& analysers) {
    SampleRecord& record = state.Record;
    analysers.fft.CalcFFT(record.SampleData, record.FFTData, state.CurrentSettings.SampleFreq);
    record.fftDimensioned = true;
    try {
        histogram::Draw(record.SampleData, analysers.histogramRows, analysers.histogramBarLength,
                        analysers.histogram);
    } catch (const NumberedError&) {
    }
}

}  // namespace rq
