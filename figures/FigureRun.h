#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "analysis/DynamicFigures.h"
#include "analysis/Limits.h"
#include "analysis/Linearity.h"
#include "analysis/SineFit.h"
#include "analysis/Warnings.h"
#include "figures/Result.h"

namespace rq::figures {

// What a run of figures is asked for: the figures, fits and linearity to compute and the files
// to write.
struct FigureRequest {
    bool metrics = false;
    bool fit = false;
    std::optional<rq::analysis::LinearityInput> linearity;
    rq::analysis::WindowKind window = rq::analysis::WindowKind::PanelBlackmanHarris;
    std::optional<int> fullScaleBits;
    // Harmonics measured: H2 to H(harmonics + 1).
    int harmonics = 5;
    std::optional<QString> plot, plotTime, plotHistogram, plotLinearity, spectrumCsv, pdf;
    // The tone's frequency in Hz, for the known-frequency fit.
    std::optional<double> fitFrequency;
    // Pass/fail limits on the figures (--limits FILE), read before any board traffic.
    std::vector<rq::analysis::Limit> limits;
    bool limitsGiven = false;
    // What the report says of the device and the run, when given: "Serial: 0042", ...
    QStringList device;

    // Whether anything needs the figures' spectrum, fit or code histogram at all.
    bool spectrumNeeded() const;
    bool fitNeeded() const { return fit || plotTime || pdf; }
    bool linearityNeeded() const { return linearity || plotLinearity || plotHistogram || pdf; }
    bool drawing() const { return plot || plotTime || plotHistogram || plotLinearity || pdf; }
};

// What a plot or the report says about where the record came from, line by line.
struct RecordSource {
    QString title;              // "tone.dat", "capture of RQ3118"
    QStringList configuration;  // "Part: RQ3118", "Sample frequency: 100000 Hz", ...
};

// The figures of the records of one run: the last record's spectrum (or the power average),
// its fits, and the code histogram pooled over every record, for the figures' JSON, the plots
// and the report.
class FigureRun {
public:
    FigureRun(FigureRequest request, int bits, bool twosComplement, double sampleRate);

    // The tone in cycles per sample, when it is known ("given" on the command line,
    // "simulated"), for the known-frequency fit; without it the spectrum's estimate is used.
    void setKnownFrequency(double cyclesPerSample, const QString& source);
    // The input's level in dBFS when it is known (the simulated tone), for the gain error.
    void setKnownLevel(double dbfs) { m_knownLevel = dbfs; }
    const std::optional<double>& knownLevel() const { return m_knownLevel; }
    const rq::analysis::FigureOptions& options() const { return m_options; }
    // Items of the loaded file that held no number.
    void setNotNumbers(int64_t count) { m_notNumbers = count; }

    void addRecord(std::span<const double> codes, bool averaged);
    // A record whose spectrum was taken already (the figures window keeps each record's, and
    // averages its last ones): the figures are measured on `spectrum`, the rest as addRecord.
    void addRecord(std::span<const double> codes, const rq::analysis::PowerSpectrum& spectrum);
    // One of the records before the last of an average: it counts, and its codes go into the
    // pooled code histogram, but nothing else is worked out for it.
    void poolRecord(std::span<const double> codes);
    // "record 3 of 3", "power average of records 1 to 5": where the figures come from.
    QString recordsUsed() const;
    // The figures' fields as `rq3118ctl --json` and its text form give them.
    void addTo(Result& result) const;

    const FigureRequest& request() const { return m_request; }
    int bits() const { return m_bits; }
    int fullScaleBits() const { return m_options.fullScaleBits; }
    double sampleRate() const { return m_options.sampleRate; }
    const std::vector<double>& record() const { return m_record; }
    const rq::analysis::PowerSpectrum* spectrum() const {
        return m_figures ? &m_spectrum : nullptr;
    }
    const std::optional<rq::analysis::DynamicFigures>& figures() const { return m_figures; }
    const QString& spectrumError() const { return m_spectrumError; }
    const std::optional<rq::analysis::SineFit>& fit3() const { return m_fit3; }
    const std::optional<rq::analysis::SineFit>& fit4() const { return m_fit4; }
    const QString& fitError() const { return m_fitError; }
    const rq::analysis::CodeHistogram& histogram() const { return m_histogram; }
    const std::optional<rq::analysis::Linearity>& linearity() const { return m_linearity; }
    const QString& linearityError() const { return m_linearityError; }
    rq::analysis::LinearityInput linearityInput() const;
    int records() const { return m_records; }
    const QString& frequencySource() const { return m_frequencySource; }
    // What the last record's figures should not be trusted for.
    const rq::analysis::Warnings& warnings() const { return m_warnings; }
    // Each limit against the last figures; empty without --limits.
    std::vector<rq::analysis::LimitResult> limitResults() const;
    bool limitsFailed() const;

private:
    void measure(std::span<const double> codes, const std::function<void()>& takeSpectrum);

    FigureRequest m_request;
    int m_bits;
    rq::analysis::FigureOptions m_options;
    int m_records = 0;
    std::vector<double> m_record;
    rq::analysis::SpectrumAnalyser m_analyser;
    rq::analysis::SpectrumAverage m_average;
    rq::analysis::PowerSpectrum m_spectrum;
    std::optional<rq::analysis::DynamicFigures> m_figures;
    QString m_spectrumError;
    std::optional<rq::analysis::SineFit> m_fit3, m_fit4;
    QString m_fitError;
    rq::analysis::CodeHistogram m_histogram;
    std::optional<rq::analysis::Linearity> m_linearity;
    QString m_linearityError;
    std::optional<double> m_knownCycles;
    QString m_frequencySource = QStringLiteral("estimated");
    int64_t m_notNumbers = 0;
    bool m_averaged = false;
    std::optional<double> m_knownLevel;
    rq::analysis::Warnings m_warnings;
};

// The warnings as the figures' JSON gives them: code, text and, when there is one, count.
std::vector<Result> warningsResult(const rq::analysis::Warnings& warnings);

// "limits failed: SNR >= 70 (measured 66.20), ..." when a limit failed; empty otherwise.
QString limitsFailure(const FigureRun& run);

// The spectrum as CSV: frequency in Hz and level in dBFS per bin, DC to Nyquist.
QByteArray spectrumCsv(const rq::analysis::PowerSpectrum& s,
                       const rq::analysis::FigureOptions& options);

// Fixed-point text of a figure: "67.42", "inf", "-inf", or "—" for one that was not measured.
QString figureText(double value, int decimals = 2);

}  // namespace rq::figures
