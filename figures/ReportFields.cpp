#include "figures/ReportFields.h"

#include <QFileInfo>
#include <utility>

#include "analysis/Limits.h"
#include "common/BasicText.h"

namespace rq::figures {

QStringList deviceLines(const std::optional<QString>& serial,
                        const std::optional<QString>& operatorName,
                        const std::optional<QString>& temperature,
                        const std::optional<QString>& notes) {
    QStringList lines;
    for (const auto& [label, text] :
         {std::pair{"Serial number", &serial}, std::pair{"Operator", &operatorName},
          std::pair{"Temperature", &temperature}, std::pair{"Notes", &notes}}) {
        if (*text) {
            lines << QStringLiteral("%1: %2").arg(QString::fromLatin1(label), **text);
        }
    }
    return lines;
}

RecordSource dataFileSource(const QString& path, qsizetype samples, int bits, bool twosComplement,
                            double sampleRate, double inputVMin, double inputVMax) {
    RecordSource source;
    source.title = QFileInfo(path).fileName();
    source.configuration
        << QStringLiteral("Data file: %1").arg(path) << QStringLiteral("Samples: %1").arg(samples)
        << QStringLiteral("Converter: %1 bits, %2")
               .arg(bits)
               .arg(twosComplement ? QStringLiteral("two's complement")
                                   : QStringLiteral("straight binary"))
        << QStringLiteral("Sample frequency: %1 Hz").arg(rq::formatGeneral(sampleRate))
        << QStringLiteral("Input range: %1 to %2 V")
               .arg(rq::formatGeneral(inputVMin), rq::formatGeneral(inputVMax));
    return source;
}

FigureRequest withReportFields(FigureRequest base, const ReportFields& fields) {
    const auto given = [](const QString& text) {
        return text.isEmpty() ? std::nullopt : std::optional<QString>(text);
    };
    base.device = deviceLines(given(fields.serial), given(fields.operatorName),
                              given(fields.temperature), given(fields.notes));
    base.limits.clear();
    base.limitsGiven = false;
    if (!fields.limitsFile.isEmpty()) {
        base.limits = rq::analysis::readLimits(fields.limitsFile);
        base.limitsGiven = true;
    }
    // The report's path is the writer's business; what matters here is that one is asked for.
    if (!base.pdf) {
        base.pdf.emplace();
    }
    return base;
}

}  // namespace rq::figures
