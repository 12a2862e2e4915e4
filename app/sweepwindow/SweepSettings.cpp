#include "sweepwindow/SweepSettings.h"

#include <algorithm>
#include <cmath>

#include "common/NumberedError.h"
#include "config/SettingsStore.h"
#include "figurewindow/FigureSettings.h"
#include "generator/GeneratorAddress.h"
#include "generator/GeneratorProfile.h"

namespace rq {

namespace {

const char* sourceName(SourceChoice::Kind kind) {
    switch (kind) {
        case SourceChoice::Kind::Generator:
            return "generator";
        case SourceChoice::Kind::Manual:
            return "manual";
        case SourceChoice::Kind::Board:
            break;
    }
    return "board";
}

}  // namespace

SweepSettings loadSweepSettings(SettingsStore& store) {
    const auto get = [&](const char* key) {
        return store.get(FigureSettingsApplication, SweepSettingsSection, QString::fromLatin1(key),
                         QString());
    };
    const auto number = [&](const char* key, double lowest, double highest, double fallback) {
        bool ok = false;
        const double v = get(key).toDouble(&ok);
        return ok && std::isfinite(v) ? std::clamp(v, lowest, highest) : fallback;
    };
    const auto flag = [&](const char* key, bool fallback) {
        const QString v = get(key);
        return v.isEmpty() ? fallback : v == QStringLiteral("true");
    };
    SweepSettings s;
    if (const QString v = get("Frequencies"); !v.isEmpty()) {
        s.frequencies = v;
    }
    if (const QString v = get("Levels"); !v.isEmpty()) {
        s.levels = v;
    }
    s.records = int(number("Records", 1, 10000, s.records));
    s.averaged = flag("Averaged", s.averaged);
    s.coherent = flag("Coherent", s.coherent);
    if (const auto kind = rq::analysis::windowFromName(get("Window"))) {
        s.window = *kind;
    }
    const QString source = get("Source");
    for (const auto kind :
         {SourceChoice::Kind::Board, SourceChoice::Kind::Generator, SourceChoice::Kind::Manual}) {
        if (source == QString::fromLatin1(sourceName(kind))) {
            s.source = kind;
        }
    }
    if (const QString v = get("Generator"); !v.isEmpty()) {
        s.generator = v;
    }
    s.profile = get("Profile");
    s.calibrate = flag("Calibrate", s.calibrate);
    s.fullScaleDbm = number("FullScaleDbm", -200, 100, s.fullScaleDbm);
    s.calibrationDbm = number("CalibrationDbm", -200, 100, s.calibrationDbm);
    s.settleMs = int(number("SettleMs", 0, 3600000, s.settleMs));
    s.logFrequency = flag("LogFrequency", s.logFrequency);
    return s;
}

void saveSweepSettings(SettingsStore& store, const SweepSettings& s) {
    const auto save = [&](const char* key, const QString& value) {
        store.save(FigureSettingsApplication, SweepSettingsSection, QString::fromLatin1(key),
                   value);
    };
    const auto text = [](bool b) { return b ? QStringLiteral("true") : QStringLiteral("false"); };
    save("Frequencies", s.frequencies);
    save("Levels", s.levels);
    save("Records", QString::number(s.records));
    save("Averaged", text(s.averaged));
    save("Coherent", text(s.coherent));
    save("Window", rq::analysis::windowInfo(s.window).name);
    save("Source", QString::fromLatin1(sourceName(s.source)));
    save("Generator", s.generator);
    save("Profile", s.profile);
    save("Calibrate", text(s.calibrate));
    save("FullScaleDbm", QString::number(s.fullScaleDbm, 'g', 12));
    save("CalibrationDbm", QString::number(s.calibrationDbm, 'g', 12));
    save("SettleMs", QString::number(s.settleMs));
    save("LogFrequency", text(s.logFrequency));
}

SweepDefinition sweepDefinition(const SweepSettings& s) {
    const auto list = [](const QString& text, bool log, const QString& what) {
        try {
            return rq::figures::parseSweepList(text, log);
        } catch (const NumberedError& e) {
            throw NumberedError(e.number(), e.source(),
                                what + QStringLiteral(": ") + e.description());
        }
    };
    SweepDefinition d;
    d.frequencies = list(s.frequencies, true, QStringLiteral("Frequencies"));
    d.levels = list(s.levels, false, QStringLiteral("Levels"));
    d.records = s.records;
    d.averaged = s.averaged;
    d.coherent = s.coherent;
    d.window = s.window;
    if (s.source != SourceChoice::Kind::Board) {
        d.settleMs = s.settleMs;
    }
    return d;
}

SourceChoice sourceChoice(const SweepSettings& s) {
    SourceChoice c;
    c.kind = s.source;
    if (s.source != SourceChoice::Kind::Board) {
        c.settleMs = s.settleMs;
    }
    if (s.source == SourceChoice::Kind::Generator) {
        c.generator.address = rq::generator::parseGeneratorAddress(s.generator);
        if (!s.profile.isEmpty()) {
            c.generator.profile = rq::generator::readGeneratorProfile(s.profile);
        }
        if (!s.calibrate) {
            c.generator.fullScaleDbm = s.fullScaleDbm;
        }
        c.generator.calibrationDbm = s.calibrationDbm;
    }
    return c;
}

}  // namespace rq
