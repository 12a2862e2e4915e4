#include "simulated/SimulatedSignalSource.h"

#include "simboard/SimBoard.h"

namespace rq {

namespace {

// Takes effect from the next capture.
void setTone(SimBoard& board, double hz, double dbfs) {
    ConverterSettings c = board.settings().converter;
    c.toneFrequency = hz;
    c.toneLevel = dbfs;
    board.setConverter(c);
}

}  // namespace

SimulatedSignalSource::SimulatedSignalSource(SimBoard& board, QObject* parent)
    : SignalSource(parent), m_board(board) {}

QString SimulatedSignalSource::description() const {
    return QStringLiteral("simulated board");
}

void SimulatedSignalSource::apply(double hz, double dbfs) {
    setTone(m_board, hz, dbfs);
    readySoon();
}

void followGenerator(SimBoard& board, GeneratorSource& generator, double fullScaleDbm) {
    QObject::connect(
        &generator, &GeneratorSource::commanded, &generator,
        [&board, fullScaleDbm](double hz, double dbm) { setTone(board, hz, dbm - fullScaleDbm); });
}

std::unique_ptr<SignalSource> SimulatedSourceFactory::make(const SourceChoice& choice) {
    if (choice.kind == SourceChoice::Kind::Board) {
        return std::make_unique<SimulatedSignalSource>(m_board);
    }
    std::unique_ptr<SignalSource> source = SignalSourceFactory::make(choice);
    if (auto* generator = qobject_cast<GeneratorSource*>(source.get())) {
        followGenerator(m_board, *generator, m_fullScaleDbm);
    } else if (auto* manual = qobject_cast<ManualSource*>(source.get())) {
        // A dry run by hand: the simulated input is what the user was asked to set.
        SimBoard& board = m_board;
        QObject::connect(manual, &ManualSource::confirmed, manual,
                         [&board](double hz, double dbfs) { setTone(board, hz, dbfs); });
    }
    return source;
}

}  // namespace rq
