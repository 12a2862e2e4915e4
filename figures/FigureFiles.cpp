#include "figures/FigureFiles.h"

#include <QJsonDocument>
#include <QStringList>
#include <cmath>

#include "common/AtomicFile.h"
#include "common/NumberedError.h"
#include "figures/FigureRun.h"
#include "figures/FigureTable.h"
#include "figures/Result.h"

namespace rq::figures {

using namespace rq::analysis;

namespace {

void needSpectrum(const FigureRun& run) {
    if (!run.figures()) {
        throw rq::NumberedError(rq::RuntimeError::InvalidCall, QStringLiteral("RQ3118"),
                                QStringLiteral("no spectrum: ") + run.spectrumError());
    }
}

// Plain decimal, never an exponent, so that any spreadsheet reads it the same.
QString number(double v, int decimals) {
    if (std::isnan(v)) {
        return QString();
    }
    if (std::isinf(v)) {
        return v > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    }
    return QString::number(v, 'f', decimals);
}

QString hz(double v) {
    return number(v, 3);
}

QString db(double v) {
    return number(v, 4);
}

// Names and masks carry no commas or quotes, but a field is quoted if one ever does.
QString field(const QString& text) {
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n')) {
        return text;
    }
    return u'"' + QString(text).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

}  // namespace

void exportSpectrumCsv(const FigureRun& run, const QString& path) {
    needSpectrum(run);
    rq::writeFileAtomically(path, spectrumCsv(*run.spectrum(), run.options()));
}

QByteArray figuresCsv(const FigureRun& run) {
    needSpectrum(run);
    const DynamicFigures& f = *run.figures();
    QStringList lines{QStringLiteral("figure,frequency_hz,value,unit,dbfs,masked")};
    const auto row = [&](const QString& name, const QString& frequency, const QString& value,
                         const QString& unit, const QString& dbfs, const QString& masked) {
        lines << QStringList{field(name), frequency, value, field(unit), dbfs, field(masked)}.join(
            u',');
    };
    row(QStringLiteral("Fundamental"), hz(f.frequency), db(f.fundamentalDbfs),
        QStringLiteral("dBFS"), db(f.fundamentalDbfs), QString());
    row(QStringLiteral("SNR"), QString(), db(f.snr), QStringLiteral("dB"), QString(), QString());
    row(QStringLiteral("SINAD"), QString(), db(f.sinad), QStringLiteral("dB"), QString(),
        QString());
    row(QStringLiteral("THD"), QString(), db(f.thd), QStringLiteral("dBc"), QString(), QString());
    row(QStringLiteral("SFDR"), hz(f.spurFrequency), db(f.sfdrDbc), QStringLiteral("dBc"),
        db(-f.sfdrDbfs), QString());
    row(QStringLiteral("ENOB"), QString(), db(f.enob), QStringLiteral("bits"), QString(),
        QString());
    row(QStringLiteral("Noise density"), QString(), db(f.noiseDensity), QStringLiteral("dBFS/Hz"),
        QString(), QString());
    // The table's own words for what masks a harmonic, so the file and the window agree.
    const std::vector<HarmonicRow> shown = harmonicRows(f);
    for (size_t i = 0; i < f.harmonics.size(); ++i) {
        const Harmonic& h = f.harmonics[i];
        row(shown[i].order, hz(h.frequency), h.masked ? QString() : db(h.dBc),
            QStringLiteral("dBc"), h.masked ? QString() : db(h.dBFS), shown[i].masked);
    }
    return (lines.join(u'\n') + u'\n').toUtf8();
}

void exportFiguresCsv(const FigureRun& run, const QString& path) {
    rq::writeFileAtomically(path, figuresCsv(run));
}

QByteArray figuresJson(const FigureRun& run) {
    Result r;
    run.addTo(r);
    return QJsonDocument(r.toJsonObject()).toJson(QJsonDocument::Indented);
}

void exportFiguresJson(const FigureRun& run, const QString& path) {
    rq::writeFileAtomically(path, figuresJson(run));
}

}  // namespace rq::figures
