#pragma once

#include <QDateTime>
#include <QString>
#include <vector>

#include "analysis/DynamicFigures.h"
#include "analysis/Warnings.h"
#include "figures/FrequencyText.h"

namespace rq::figures {

// The default name of an exported file: "<part>_<yyyyMMdd-HHmmss>_<what>.<ext>", with every
// character of part and what other than a letter, a digit, '-' or '_' made '_', and "RQ3118"
// for an empty part.
QString exportFileName(const QString& partName, const QDateTime& when, const QString& what,
                       const QString& extension);

// One figure as the figures table shows it: "SNR", "66.20 dB".
struct FigureRow {
    QString name;
    QString value;
};
// Fundamental, SNR, SINAD, THD, SFDR, ENOB (full scale) and noise density, dB figures to two
// decimals and the density to one; a figure that was not measured reads "—".
std::vector<FigureRow> figureRows(const rq::analysis::DynamicFigures& f);

struct HarmonicRow {
    QString order;      // "H2"
    QString frequency;  // "20.000 kHz"
    QString dBc, dBFS;  // "—" when masked
    QString masked;     // "", or what masks it: "tone", "DC", "H2"
};
std::vector<HarmonicRow> harmonicRows(const rq::analysis::DynamicFigures& f);

struct WarningRow {
    QString code, text;
};
std::vector<WarningRow> warningRows(const rq::analysis::Warnings& warnings);

// The three tables as tab-separated lines with a heading line each and an empty line between
// them, for pasting into a spreadsheet.
QString figuresClipboardText(const std::vector<FigureRow>& figures,
                             const std::vector<HarmonicRow>& harmonics,
                             const std::vector<WarningRow>& warnings);

}  // namespace rq::figures
