#pragma once

#include "sweep/SignalSource.h"

namespace rq {

class SimBoard;

// The simulated converter's own tone as a sweep's source: each point sets its frequency and
// level, ready at once.
class SimulatedSignalSource : public SignalSource {
    Q_OBJECT

public:
    explicit SimulatedSignalSource(SimBoard& board, QObject* parent = nullptr);
    QString description() const override;
    void apply(double hz, double dbfs) override;

private:
    SimBoard& m_board;
};

// The simulated converter's input follows what a generator was set to, through the level that
// reads full scale on the simulated converter: a bench sweep's dry run before the board is there.
void followGenerator(SimBoard& board, GeneratorSource& generator, double fullScaleDbm);

// The sources of a program on the simulated board: the board's converter itself, a generator
// that the simulated converter follows, and the hand, whose points it takes as set.
class SimulatedSourceFactory : public SignalSourceFactory {
public:
    // The generator level that the simulated converter reads as 0 dBFS.
    static constexpr double DefaultFullScaleDbm = 10.0;

    explicit SimulatedSourceFactory(SimBoard& board, double fullScaleDbm = DefaultFullScaleDbm)
        : m_board(board), m_fullScaleDbm(fullScaleDbm) {}
    bool boardSource() const override { return true; }
    std::unique_ptr<SignalSource> make(const SourceChoice& choice) override;

private:
    SimBoard& m_board;
    double m_fullScaleDbm;
};

}  // namespace rq
