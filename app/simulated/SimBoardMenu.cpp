#include "simulated/SimBoardMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QInputDialog>
#include <QMenu>
#include <climits>

#include "simboard/FaultSpec.h"
#include "simboard/SimBoard.h"
#include "state/Settings.h"

namespace rq {
namespace {

struct FaultKind {
    const char* name;
    // The question for the count, for the kinds that take one; its first proposal.
    const char* countLabel;
    int proposal;
};

constexpr FaultKind Kinds[] = {
    {"none", nullptr, 0},
    {"no-board", nullptr, 0},
    {"endless-capture", nullptr, 0},
    {"stuck-low", nullptr, 0},
    {"stop-after", "Bytes the board answers before it stops:", 100},
    {"slow", "Status reads each change of the line waits for:", 20},
    {"refuse", "Program packets to refuse:", 3},
};

// The kind the board's faults are, when they are one kind alone.
QString kindOf(const SimBoardFaults& faults) {
    const QString spec = formatFaultSpec(faults);
    if (spec.contains(QLatin1Char(','))) {
        return QString();
    }
    if (spec == QLatin1String("stuck-low=0")) {
        return QStringLiteral("stuck-low");
    }
    return spec.section(QLatin1Char('='), 0, 0);
}

}  // namespace

QList<QAction*> simulatedBoardMenuItems(SimBoard& board, QWidget* parent) {
    auto* reset = new QAction(QStringLiteral("Press Board RESET Button"), parent);
    reset->setObjectName(QStringLiteral("mnuSimReset"));
    QObject::connect(reset, &QAction::triggered, parent, [&board] { board.pressResetButton(); });

    auto* menu = new QMenu(QStringLiteral("Simulated Fault"), parent);
    menu->setObjectName(QStringLiteral("mnuSimFault"));
    auto* group = new QActionGroup(menu);
    // Faults set together elsewhere are no one kind: then no item is checked.
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const QString current = kindOf(board.settings().faults);
    for (const FaultKind& kind : Kinds) {
        const QString name = QString::fromLatin1(kind.name);
        QAction* a = menu->addAction(kind.countLabel ? name + QStringLiteral("...") : name);
        a->setObjectName(QStringLiteral("mnuSimFault_") + name);
        a->setCheckable(true);
        a->setChecked(name == current);
        group->addAction(a);
        QObject::connect(a, &QAction::triggered, parent, [&board, kind, name, parent, group, a] {
            QString spec = name;
            if (kind.countLabel) {
                bool ok = false;
                const int count = QInputDialog::getInt(parent, QStringLiteral("Simulated Fault"),
                                                       QString::fromLatin1(kind.countLabel),
                                                       kind.proposal, 0, INT_MAX, 1, &ok);
                if (!ok) {
                    // Cancelled: the board keeps its fault, and the menu shows it again.
                    const QString kept = kindOf(board.settings().faults);
                    for (QAction* other : group->actions()) {
                        other->setChecked(other->objectName() ==
                                          QStringLiteral("mnuSimFault_") + kept);
                    }
                    return;
                }
                spec += QLatin1Char('=') + QString::number(count);
            }
            if (const std::optional<SimBoardFaults> faults = parseFaultSpec(spec)) {
                board.setFaults(*faults);
            }
            a->setChecked(true);
        });
    }
    return {reset, menu->menuAction()};
}

void followConfiguration(SimBoard& board, const Settings& s) {
    ConverterSettings converter = board.settings().converter;
    if (s.NumberOfBits >= 1 && s.NumberOfBits <= 16) {
        converter.bits = s.NumberOfBits;
        converter.twosComplement = s.DataFormat == 1;
    }
    board.setConverter(converter);
}

}  // namespace rq
