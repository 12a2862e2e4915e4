#include "simboard/FaultSpec.h"

#include <QStringList>

namespace rq {
namespace {

bool parseCount(const QString& text, int& value) {
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (!ok || v < 0) {
        return false;
    }
    value = v;
    return true;
}

}  // namespace

std::optional<SimBoardFaults> parseFaultSpec(const QString& text, QString* error) {
    const auto fail = [error](const QString& message) -> std::optional<SimBoardFaults> {
        if (error) {
            *error = message;
        }
        return std::nullopt;
    };
    SimBoardFaults faults;
    const QStringList items = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& rawItem : items) {
        const QString item = rawItem.trimmed().toLower();
        if (item.isEmpty()) {
            continue;
        }
        const qsizetype eq = item.indexOf(QLatin1Char('='));
        const QString name = (eq < 0 ? item : item.left(eq)).trimmed();
        const QString argument = eq < 0 ? QString() : item.mid(eq + 1).trimmed();
        const bool hasArgument = eq >= 0;
        int count = 0;
        if (hasArgument && !parseCount(argument, count)) {
            return fail(
                QStringLiteral("\"%1\" needs a whole number from 0").arg(rawItem.trimmed()));
        }

        if (name == QLatin1String("none") && !hasArgument) {
            faults = SimBoardFaults{};
        } else if (name == QLatin1String("no-board") && !hasArgument) {
            faults.noBoard = true;
        } else if (name == QLatin1String("endless-capture") && !hasArgument) {
            faults.endlessCapture = true;
        } else if (name == QLatin1String("stuck-low")) {
            faults.stuckLowAfterBytes = hasArgument ? count : 0;
        } else if (name == QLatin1String("stop-after") && hasArgument) {
            faults.stopAfterBytes = count;
        } else if (name == QLatin1String("slow") && hasArgument) {
            faults.slowStatusReads = count;
        } else if (name == QLatin1String("refuse") && hasArgument) {
            faults.refusedAcknowledges = count;
        } else {
            return fail(QStringLiteral("unknown board fault \"%1\"").arg(rawItem.trimmed()));
        }
    }
    return faults;
}

QString formatFaultSpec(const SimBoardFaults& faults) {
    QStringList items;
    if (faults.noBoard) {
        items << QStringLiteral("no-board");
    }
    if (faults.stopAfterBytes >= 0) {
        items << QStringLiteral("stop-after=%1").arg(faults.stopAfterBytes);
    }
    if (faults.stuckLowAfterBytes >= 0) {
        items << QStringLiteral("stuck-low=%1").arg(faults.stuckLowAfterBytes);
    }
    if (faults.slowStatusReads > 0) {
        items << QStringLiteral("slow=%1").arg(faults.slowStatusReads);
    }
    if (faults.refusedAcknowledges > 0) {
        items << QStringLiteral("refuse=%1").arg(faults.refusedAcknowledges);
    }
    if (faults.endlessCapture) {
        items << QStringLiteral("endless-capture");
    }
    return items.isEmpty() ? QStringLiteral("none") : items.join(QLatin1Char(','));
}

QString faultSpecHelp() {
    return QStringLiteral(
        "none              no fault\n"
        "no-board          nothing is cabled: the handshake line never falls\n"
        "stop-after=K      the board answers K bytes (writes and reads), then nothing\n"
        "stuck-low[=K]     after K bytes (default 0) the line falls and never rises\n"
        "slow=M            every change of the line shows only after M more status reads\n"
        "refuse=J          the next J program packets are refused\n"
        "endless-capture   a capture never signals its end\n"
        "Several faults are joined by commas, as in slow=20,refuse=3.\n");
}

}  // namespace rq
