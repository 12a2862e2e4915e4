#include "figures/FigureTable.h"

#include <QStringList>
#include <cmath>

#include "figures/FigureRun.h"

namespace rq::figures {

using namespace rq::analysis;

QString exportFileName(const QString& partName, const QDateTime& when, const QString& what,
                       const QString& extension) {
    // Only what every file system takes, so a part named "A/B 2" still gives one file.
    const auto safe = [](QString text) {
        for (QChar& c : text) {
            const bool kept = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                              (c >= u'0' && c <= u'9') || c == u'-' || c == u'_';
            if (!kept) {
                c = u'_';
            }
        }
        return text;
    };
    const QString part = partName.isEmpty() ? QStringLiteral("RQ3118") : safe(partName);
    return QStringLiteral("%1_%2_%3.%4")
        .arg(part, when.toString(QStringLiteral("yyyyMMdd-HHmmss")), safe(what), extension);
}

namespace {

// A figure with its unit; one not measured is the dash alone, since a unit after it says
// nothing.
QString withUnit(double value, int decimals, const QString& unit) {
    const QString text = figureText(value, decimals);
    return std::isnan(value) ? text : text + u' ' + unit;
}

QString maskedBy(const Harmonic& h) {
    switch (h.maskedBy) {
        case Harmonic::MaskedBy::Fundamental:
            return QStringLiteral("tone");
        case Harmonic::MaskedBy::Dc:
            return QStringLiteral("DC");
        case Harmonic::MaskedBy::Harmonic:
            return QStringLiteral("H%1").arg(h.maskingOrder);
        case Harmonic::MaskedBy::Nothing:
            break;
    }
    return h.masked ? QStringLiteral("yes") : QString();
}

}  // namespace

std::vector<FigureRow> figureRows(const DynamicFigures& f) {
    const QString dB = QStringLiteral("dB");
    const QString dBc = QStringLiteral("dBc");
    return {
        {QStringLiteral("Fundamental"), frequencyText(f.frequency) + QStringLiteral(", ") +
                                            withUnit(f.fundamentalDbfs, 2, QStringLiteral("dBFS"))},
        {QStringLiteral("SNR"), withUnit(f.snr, 2, dB)},
        {QStringLiteral("SINAD"), withUnit(f.sinad, 2, dB)},
        {QStringLiteral("THD"), withUnit(f.thd, 2, dBc)},
        {QStringLiteral("SFDR"), withUnit(f.sfdrDbc, 2, dBc)},
        {QStringLiteral("ENOB"), withUnit(f.enob, 2, QStringLiteral("bits"))},
        {QStringLiteral("Noise density"), withUnit(f.noiseDensity, 1, QStringLiteral("dBFS/Hz"))},
    };
}

std::vector<HarmonicRow> harmonicRows(const DynamicFigures& f) {
    std::vector<HarmonicRow> rows;
    for (const Harmonic& h : f.harmonics) {
        const double nan = std::nan("");
        rows.push_back({QStringLiteral("H%1").arg(h.order), frequencyText(h.frequency),
                        figureText(h.masked ? nan : h.dBc), figureText(h.masked ? nan : h.dBFS),
                        maskedBy(h)});
    }
    return rows;
}

std::vector<WarningRow> warningRows(const Warnings& warnings) {
    std::vector<WarningRow> rows;
    for (const Warning& w : warnings) {
        rows.push_back({w.code, w.text});
    }
    return rows;
}

QString figuresClipboardText(const std::vector<FigureRow>& figures,
                             const std::vector<HarmonicRow>& harmonics,
                             const std::vector<WarningRow>& warnings) {
    // A tab or a line break inside a cell would split it; a space keeps the columns.
    const auto cell = [](QString text) {
        return text.replace(u'\t', u' ').replace(u'\r', u' ').replace(u'\n', u' ');
    };
    QStringList lines{QStringLiteral("Figure\tValue")};
    for (const FigureRow& r : figures) {
        lines << cell(r.name) + u'\t' + cell(r.value);
    }
    lines << QString() << QStringLiteral("Harmonic\tFrequency\tdBc\tdBFS\tMasked");
    for (const HarmonicRow& r : harmonics) {
        lines << QStringList{r.order, r.frequency, r.dBc, r.dBFS, r.masked}.join(u'\t');
    }
    lines << QString() << QStringLiteral("Warning\tText");
    for (const WarningRow& r : warnings) {
        lines << cell(r.code) + u'\t' + cell(r.text);
    }
    return lines.join(u'\n') + u'\n';
}

}  // namespace rq::figures
