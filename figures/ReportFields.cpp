#include "figures/ReportFields.h"

#include <utility>

#include "analysis/Limits.h"

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
