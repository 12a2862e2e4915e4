#include "figurewindow/FigureSettings.h"

#include <algorithm>
#include <cmath>

#include "acquire/AcquisitionSession.h"
#include "config/SettingsStore.h"
#include "state/Settings.h"

namespace rq {

using namespace rq::analysis;

namespace {

QString linearityName(const std::optional<LinearityInput>& l) {
    if (!l) {
        return QStringLiteral("off");
    }
    return *l == LinearityInput::Ramp ? QStringLiteral("ramp") : QStringLiteral("sine");
}

std::optional<LinearityInput> linearityFromName(const QString& name) {
    if (name == QStringLiteral("sine")) {
        return LinearityInput::Sine;
    }
    if (name == QStringLiteral("ramp")) {
        return LinearityInput::Ramp;
    }
    return std::nullopt;
}

}  // namespace

FigureSettings loadFigureSettings(SettingsStore& store) {
    const auto get = [&](const char* key) {
        return store.get(FigureSettingsApplication, FigureSettingsSection, QString::fromLatin1(key),
                         QString());
    };
    const auto integer = [&](const char* key, int lowest, int highest) -> std::optional<int> {
        bool ok = false;
        const int v = get(key).toInt(&ok);
        return ok ? std::optional<int>(std::clamp(v, lowest, highest)) : std::nullopt;
    };
    FigureSettings s;
    if (const auto kind = windowFromName(get("Window"))) {
        s.window = *kind;
    }
    s.fullScaleBits = integer("FullScaleBits", 1, 24);
    s.averaging = integer("Averaging", 1, FigureSettings::maxAveraging).value_or(s.averaging);
    s.harmonics = integer("Harmonics", 1, FigureSettings::maxHarmonics).value_or(s.harmonics);
    s.linearity = linearityFromName(get("Linearity"));
    bool ok = false;
    const double rate = get("LoadedFileRate").toDouble(&ok);
    if (ok && std::isfinite(rate) && rate > 0.0) {
        s.loadedFileRate = std::min(rate, 2147483647.0);
    }
    s.timeInVolts = get("TimeUnit") == QStringLiteral("volts");
    return s;
}

void saveFigureSettings(SettingsStore& store, const FigureSettings& s) {
    const auto save = [&](const char* key, const QString& value) {
        store.save(FigureSettingsApplication, FigureSettingsSection, QString::fromLatin1(key),
                   value);
    };
    save("Window", windowInfo(s.window).name);
    save("FullScaleBits", s.fullScaleBits ? QString::number(*s.fullScaleBits) : QString());
    save("Averaging", QString::number(s.averaging));
    save("Harmonics", QString::number(s.harmonics));
    save("Linearity", linearityName(s.linearity));
    save("LoadedFileRate", QString::number(s.loadedFileRate, 'g', 12));
    save("TimeUnit", s.timeInVolts ? QStringLiteral("volts") : QStringLiteral("codes"));
}

rq::figures::TimeScale timeScale(const FigureSettings& settings, const Settings& configured,
                                 int bits, bool twosComplement) {
    const double span = configured.InputVMax - configured.InputVMin;
    if (!settings.timeInVolts || !std::isfinite(span) || span == 0.0) {
        return {};
    }
    rq::figures::TimeScale s;
    s.perCode = span / std::ldexp(1.0, bits);
    s.offset =
        configured.InputVMin + (twosComplement ? std::ldexp(1.0, bits - 1) * s.perCode : 0.0);
    s.quantity = QStringLiteral("Input");
    s.unit = QStringLiteral("V");
    s.residualUnit = QStringLiteral("mV");
    s.residualFactor = 1000.0;
    s.decimals = 4;
    return s;
}

rq::figures::FigureRequest figureRequest(const FigureSettings& s, bool fits) {
    rq::figures::FigureRequest r;
    r.metrics = true;
    r.fit = fits;
    r.window = s.window;
    r.fullScaleBits = s.fullScaleBits;
    r.harmonics = s.harmonics;
    // Linearity is worked out with the fits, at their pace.
    if (fits) {
        r.linearity = s.linearity;
    }
    return r;
}

double analysisRate(const AnalysedRecord& record, const FigureSettings& settings) {
    return record.clockRate > 0.0 ? record.clockRate : settings.loadedFileRate;
}

bool RateLimit::take(qint64 nowMs) {
    if (wait(nowMs) > 0) {
        return false;
    }
    m_last = nowMs;
    return true;
}

qint64 RateLimit::wait(qint64 nowMs) const {
    if (!m_last) {
        return 0;
    }
    return std::max<qint64>(0, *m_last + m_interval - nowMs);
}

void RunCounter::start(qint64 nowMs) {
    m_records = 0;
    m_first = m_last = nowMs;
}

void RunCounter::add(qint64 nowMs) {
    if (m_records == 0) {
        m_first = nowMs;
    }
    ++m_records;
    m_last = nowMs;
}

double RunCounter::perSecond() const {
    if (m_records < 2 || m_last <= m_first) {
        return 0.0;
    }
    return (m_records - 1) * 1000.0 / double(m_last - m_first);
}

}  // namespace rq
