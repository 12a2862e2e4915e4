#include "figures/FigureRun.h"

#include <algorithm>
#include <cmath>

#include "common/NumberedError.h"

namespace rq::figures {

using namespace rq::analysis;

bool FigureRequest::spectrumNeeded() const {
    return metrics || fit || spectrumCsv || plot || pdf || plotTime;
}

QString figureText(double value, int decimals) {
    if (std::isnan(value)) {
        return QStringLiteral("—");
    }
    if (std::isinf(value)) {
        return value > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    }
    return QString::number(value, 'f', decimals);
}

FigureRun::FigureRun(FigureRequest request, int bits, bool twosComplement, double sampleRate)
    : m_request(std::move(request)),
      m_bits(std::clamp(bits, 1, 16)),
      m_histogram(m_bits, twosComplement ? -(1 << (m_bits - 1)) : 0) {
    m_options.fullScaleBits = m_request.fullScaleBits.value_or(m_bits);
    m_options.sampleRate = sampleRate;
    m_options.harmonicOrder = m_request.harmonics + 1;
    if (m_request.fitFrequency) {
        setKnownFrequency(*m_request.fitFrequency / sampleRate, QStringLiteral("given"));
    }
}

void FigureRun::setKnownFrequency(double cyclesPerSample, const QString& source) {
    m_knownCycles = cyclesPerSample;
    m_frequencySource = source;
}

std::vector<LimitResult> FigureRun::limitResults() const {
    return checkLimits(m_request.limits, m_figures);
}

bool FigureRun::limitsFailed() const {
    return m_request.limitsGiven && !allPass(limitResults());
}

QString limitsFailure(const FigureRun& run) {
    if (!run.limitsFailed()) {
        return QString();
    }
    QStringList failed;
    for (const LimitResult& l : run.limitResults()) {
        if (!l.pass) {
            failed << QStringLiteral("%1 (measured %2)")
                          .arg(l.limit.text(),
                               l.measured ? figureText(*l.measured) : QStringLiteral("—"));
        }
    }
    return QStringLiteral("limits failed: ") + failed.join(QStringLiteral(", "));
}

LinearityInput FigureRun::linearityInput() const {
    return m_request.linearity.value_or(LinearityInput::Sine);
}

QString FigureRun::recordsUsed() const {
    if (m_records <= 1) {
        return QStringLiteral("the one record");
    }
    return m_averaged ? QStringLiteral("the power average of records 1 to %1").arg(m_records)
                      : QStringLiteral("record %1 of %1 (the last)").arg(m_records);
}

void FigureRun::addRecord(std::span<const double> codes, bool averaged) {
    m_averaged = averaged;
    measure(codes, [&] {
        const PowerSpectrum s = m_analyser.spectrum(codes, m_request.window);
        if (averaged) {
            m_average.add(s);
            m_spectrum = m_average.average();
        } else {
            m_spectrum = s;
        }
    });
}

void FigureRun::addRecord(std::span<const double> codes, const PowerSpectrum& spectrum) {
    m_averaged = spectrum.records > 1;
    measure(codes, [&] { m_spectrum = spectrum; });
}

void FigureRun::poolRecord(std::span<const double> codes) {
    ++m_records;
    if (m_request.linearityNeeded()) {
        m_histogram.add(codes);
    }
}

void FigureRun::measure(std::span<const double> codes, const std::function<void()>& takeSpectrum) {
    ++m_records;
    m_record.assign(codes.begin(), codes.end());
    if (m_request.spectrumNeeded()) {
        m_figures.reset();
        m_spectrumError.clear();
        try {
            takeSpectrum();
            m_figures = measureFigures(m_spectrum, m_options);
        } catch (const rq::NumberedError& e) {
            m_spectrumError = e.description();
        }
    }
    if (m_request.fitNeeded()) {
        m_fit3.reset();
        m_fit4.reset();
        m_fitError.clear();
        // The known tone when there is one; otherwise the spectrum's refined frequency,
        // which the four-parameter fit sharpens.
        std::optional<double> start = m_knownCycles;
        if (!start && m_figures && m_figures->toneApartFromDc) {
            start = m_figures->refinedBin / m_spectrum.recordLength;
        }
        if (!start) {
            m_fitError =
                QStringLiteral("no tone to start the fit from: ") +
                (m_figures ? QStringLiteral("the tone cannot be told from DC") : m_spectrumError);
        } else {
            const double f = *start;
            try {
                m_fit3 = fitSine3(codes, f, m_options.fullScaleBits, m_options.sampleRate);
                m_fit4 = fitSine4(codes, f, m_options.fullScaleBits, m_options.sampleRate);
            } catch (const rq::NumberedError& e) {
                m_fitError = e.description();
            }
        }
    }
    if (m_request.linearityNeeded()) {
        m_histogram.add(codes);
        m_linearity.reset();
        m_linearityError.clear();
        try {
            m_linearity = codeDensity(m_histogram, linearityInput());
        } catch (const rq::NumberedError& e) {
            m_linearityError = e.description();
        }
    }
    m_warnings.clear();
    checkNotNumbers(m_notNumbers, m_warnings);
    checkRecord(codes, rq::converterCodes(m_options.fullScaleBits, m_histogram.lowestCode() < 0),
                m_warnings);
    if (m_figures) {
        checkSpectrum(m_spectrum, *m_figures, m_warnings);
    }
    if (m_linearity) {
        checkLinearity(*m_linearity, m_warnings);
    }
}

namespace {

Result fitResult(const SineFit& fit) {
    Result r;
    r.add(QStringLiteral("amplitude"), fit.amplitude)
        .add(QStringLiteral("offset"), fit.offset)
        .add(QStringLiteral("frequency_hz"), fit.frequency)
        .add(QStringLiteral("phase_rad"), fit.phase)
        .add(QStringLiteral("residual_rms"), fit.residualRms)
        .add(QStringLiteral("enob_bits"), fit.enob);
    if (fit.fourParameter) {
        r.add(QStringLiteral("iterations"), fit.iterations)
            .add(QStringLiteral("converged"), fit.converged);
    }
    return r;
}

std::vector<double> orders(const std::vector<int>& harmonics) {
    return {harmonics.begin(), harmonics.end()};
}

Result metricsResult(const DynamicFigures& f, const PowerSpectrum& s,
                     const FigureOptions& options) {
    std::vector<Result> harmonics;
    for (const Harmonic& h : f.harmonics) {
        Result row;
        row.add(QStringLiteral("order"), h.order)
            .add(QStringLiteral("frequency_hz"), h.frequency)
            .add(QStringLiteral("bin"), h.bin);
        if (h.masked) {
            row.addNone(QStringLiteral("dbc")).addNone(QStringLiteral("dbfs"));
        } else {
            row.add(QStringLiteral("dbc"), h.dBc).add(QStringLiteral("dbfs"), h.dBFS);
        }
        row.add(QStringLiteral("masked"), h.masked);
        harmonics.push_back(row);
    }
    Result fundamental;
    fundamental.add(QStringLiteral("bin"), f.fundamentalBin)
        .add(QStringLiteral("frequency_hz"), f.frequency)
        .add(QStringLiteral("amplitude"), f.amplitude)
        .add(QStringLiteral("dbfs"), f.fundamentalDbfs);
    Result spur;
    spur.add(QStringLiteral("frequency_hz"), f.spurFrequency)
        .add(QStringLiteral("harmonic"), f.spurHarmonic != 0);
    if (f.spurHarmonic != 0) {
        spur.add(QStringLiteral("order"), f.spurHarmonic);
    }
    Result r;
    r.add(QStringLiteral("window"), windowInfo(s.window).name)
        .add(QStringLiteral("noise_bandwidth_bins"), s.noiseBandwidth)
        .add(QStringLiteral("main_lobe_bins"), f.mainLobeHalfWidth)
        .add(QStringLiteral("full_scale_bits"), options.fullScaleBits)
        .add(QStringLiteral("records_averaged"), f.records)
        .add(QStringLiteral("fundamental"), fundamental)
        .add(QStringLiteral("dc"), f.dc)
        .add(QStringLiteral("snr_db"), f.snr)
        .add(QStringLiteral("sinad_db"), f.sinad)
        .add(QStringLiteral("thd_dbc"), f.thd)
        .add(QStringLiteral("thd_caption"), thdCaption(f))
        .add(QStringLiteral("thd_harmonics"), orders(thdHarmonics(f)))
        .add(QStringLiteral("masked"), orders(maskedHarmonics(f)))
        .add(QStringLiteral("sfdr_dbc"), f.sfdrDbc)
        .add(QStringLiteral("sfdr_dbfs"), f.sfdrDbfs)
        .add(QStringLiteral("sfdr_caption"), sfdrCaption(f))
        .add(QStringLiteral("spur"), spur)
        .add(QStringLiteral("enob_bits"), f.enob)
        .add(QStringLiteral("noise_density_dbfs_hz"), f.noiseDensity)
        .add(QStringLiteral("average_bin_noise_dbfs"), f.averageBinNoise)
        .add(QStringLiteral("harmonics"), harmonics);
    return r;
}

Result linearityResult(const Linearity& l, const CodeHistogram& h) {
    std::vector<double> missing(l.missingCodes.begin(), l.missingCodes.end());
    Result dnl, inl, fit;
    dnl.add(QStringLiteral("max"), l.dnlMax)
        .add(QStringLiteral("max_code"), l.dnlMaxCode)
        .add(QStringLiteral("min"), l.dnlMin)
        .add(QStringLiteral("min_code"), l.dnlMinCode);
    inl.add(QStringLiteral("max"), l.inlEndPointMax)
        .add(QStringLiteral("min"), l.inlEndPointMin)
        .add(QStringLiteral("worst_code"), l.inlMaxCode);
    fit.add(QStringLiteral("max"), l.inlBestFitMax).add(QStringLiteral("min"), l.inlBestFitMin);
    Result r;
    r.add(QStringLiteral("input"),
          l.input == LinearityInput::Sine ? QStringLiteral("sine") : QStringLiteral("ramp"))
        .add(QStringLiteral("samples"), static_cast<long long>(l.samples))
        .add(QStringLiteral("out_of_range"), static_cast<long long>(h.outOfRange()))
        .add(QStringLiteral("samples_per_code"), l.samplesPerCode);
    r.add(QStringLiteral("first_code"), l.firstCode)
        .add(QStringLiteral("last_code"), l.lastCode)
        .add(QStringLiteral("left_out_below"), l.leftOutBelow)
        .add(QStringLiteral("left_out_above"), l.leftOutAbove)
        .add(QStringLiteral("missing_codes"), missing)
        .add(QStringLiteral("dnl"), dnl)
        .add(QStringLiteral("inl_end_point"), inl)
        .add(QStringLiteral("inl_best_fit"), fit)
        .add(QStringLiteral("dnl_per_code"), l.dnl)
        .add(QStringLiteral("inl_end_point_per_code"), l.inlEndPoint)
        .add(QStringLiteral("inl_best_fit_per_code"), l.inlBestFit);
    return r;
}

}  // namespace

void FigureRun::addTo(Result& result) const {
    if (m_request.metrics) {
        if (m_figures) {
            result.add(QStringLiteral("metrics"), metricsResult(*m_figures, m_spectrum, m_options));
        } else {
            result.add(QStringLiteral("metrics_error"), m_spectrumError);
        }
    }
    if (m_request.fit) {
        if (m_fit3 && m_fit4) {
            Result fits;
            fits.add(QStringLiteral("frequency_source"), m_frequencySource)
                .add(QStringLiteral("three_parameter"), fitResult(*m_fit3))
                .add(QStringLiteral("four_parameter"), fitResult(*m_fit4));
            result.add(QStringLiteral("fit"), fits);
        } else {
            result.add(QStringLiteral("fit_error"), m_fitError);
        }
    }
    if (m_request.linearity) {
        if (m_linearity) {
            Result l = linearityResult(*m_linearity, m_histogram);
            l.add(QStringLiteral("records"), m_records);
            result.add(QStringLiteral("linearity"), l);
        } else {
            result.add(QStringLiteral("linearity_error"), m_linearityError);
        }
    }
    result.add(QStringLiteral("warnings"), warningsResult(m_warnings));
    if (m_request.limitsGiven) {
        std::vector<Result> limits;
        for (const LimitResult& l : limitResults()) {
            Result row;
            row.add(QStringLiteral("limit"), l.limit.text());
            if (l.measured) {
                row.add(QStringLiteral("measured"), *l.measured);
            } else {
                row.addNone(QStringLiteral("measured"));
            }
            row.add(QStringLiteral("pass"), l.pass);
            limits.push_back(row);
        }
        result.add(QStringLiteral("limits"), limits)
            .add(QStringLiteral("verdict"),
                 limitsFailed() ? QStringLiteral("FAIL") : QStringLiteral("PASS"));
    }
}

std::vector<Result> warningsResult(const Warnings& warnings) {
    std::vector<Result> list;
    for (const Warning& w : warnings) {
        Result r;
        r.add(QStringLiteral("code"), w.code).add(QStringLiteral("text"), w.text);
        if (w.count) {
            r.add(QStringLiteral("count"), static_cast<long long>(*w.count));
        }
        list.push_back(r);
    }
    return list;
}

QByteArray spectrumCsv(const PowerSpectrum& s, const FigureOptions& options) {
    QByteArray text = "frequency_hz,dbfs\n";
    const double fullScale = fullScalePower(options.fullScaleBits);
    const double binHz = options.sampleRate / s.recordLength;
    for (int k = 0; k < s.bins(); ++k) {
        // A bin of exactly nothing is written at a floor no converter reaches.
        const double level = std::max(decibels(s.power[static_cast<size_t>(k)], fullScale), -400.0);
        text +=
            QByteArray::number(k * binHz, 'g', 12) + ',' + QByteArray::number(level, 'f', 4) + '\n';
    }
    return text;
}

}  // namespace rq::figures
