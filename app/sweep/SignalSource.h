#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

#include "figures/Sweep.h"
#include "generator/GeneratorAddress.h"
#include "generator/GeneratorProfile.h"
#include "generator/ScpiGenerator.h"

namespace rq {

// What puts a tone on the converter's input for a sweep: the simulated converter itself, a
// signal generator, or the user at the bench. Every call returns at once and ends in ready()
// or failed(), so that the sweep waits on the event loop, never in a call.
class SignalSource : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // What the reports and the window call it: "simulated board", "generator 10.0.0.5:5025
    // (Fake,SG-1,0001,1.0)", "manual (the user sets the generator)".
    virtual QString description() const = 0;
    // Gets the source ready (connects to and identifies a generator).
    virtual void open();
    // A tone at hz with its level in dBFS on the converter's input.
    virtual void apply(double hz, double dbfs) = 0;
    virtual void close() {}
    // The time the input needs after apply before records are taken.
    virtual int settleMs() const { return 0; }
    // How a failure of this source ends a sweep.
    virtual rq::figures::SweepEnd failureEnd() const {
        return rq::figures::SweepEnd::GeneratorFault;
    }

    // A source whose levels need a full-scale calibration first: the generator level (dBm) the
    // calibration measures at. None once the full scale is known, and for other sources.
    virtual std::optional<double> calibrationLevelDbm() const { return std::nullopt; }
    // The calibration's tone at hz, at calibrationLevelDbm(); ends in ready() or failed().
    virtual void applyCalibration(double hz);
    // The generator level that reads 0 dBFS, as the calibration measured it.
    virtual void setFullScaleDbm(double dbm);

Q_SIGNALS:
    void ready();
    void failed(const QString& reason);

protected:
    // ready() from the event loop, for a source that is ready at once.
    void readySoon();
};

// A signal generator over SCPI: levels asked in dBFS are set in dBm from the full scale, given
// or calibrated. commanded() tells each point the generator took, in its own units.
class GeneratorSource : public SignalSource {
    Q_OBJECT

public:
    struct Options {
        rq::generator::GeneratorAddress address;
        rq::generator::GeneratorProfile profile;
        // The generator level that reads 0 dBFS; none to calibrate it first.
        std::optional<double> fullScaleDbm;
        double calibrationDbm = -10.0;
        int settleMs = 200;
    };
    explicit GeneratorSource(const Options& options, QObject* parent = nullptr);
    ~GeneratorSource() override;

    QString description() const override;
    void open() override;
    void apply(double hz, double dbfs) override;
    void close() override;
    int settleMs() const override { return m_options.settleMs; }
    std::optional<double> calibrationLevelDbm() const override;
    void applyCalibration(double hz) override;
    void setFullScaleDbm(double dbm) override { m_options.fullScaleDbm = dbm; }
    const std::optional<double>& fullScaleDbm() const { return m_options.fullScaleDbm; }
    // Every line sent to the generator.
    QStringList sent() const;

Q_SIGNALS:
    void commanded(double hz, double dbm);

private:
    Options m_options;
    QString m_identity;
    rq::generator::ScpiGenerator* m_generator;
};

// The user sets the generator by hand: each point asks with prompt() and waits for proceed()
// (Continue, or Enter on a terminal) or giveUp(), which cancels the sweep.
class ManualSource : public SignalSource {
    Q_OBJECT

public:
    explicit ManualSource(int settleMs = 0, QObject* parent = nullptr);
    QString description() const override;
    void apply(double hz, double dbfs) override;
    int settleMs() const override { return m_settleMs; }
    rq::figures::SweepEnd failureEnd() const override { return rq::figures::SweepEnd::Cancelled; }

    // "Set the generator to 10.000 kHz at -1.0 dBFS"
    static QString promptText(double hz, double dbfs);

public Q_SLOTS:
    void proceed();
    void giveUp(const QString& reason);

Q_SIGNALS:
    void prompt(const QString& text);
    // The user said the generator is set to the point asked.
    void confirmed(double hz, double dbfs);

private:
    int m_settleMs;
    bool m_waiting = false;
    double m_hz = 0, m_dbfs = 0;
};

// Where a sweep's input comes from, as the user picks it.
struct SourceChoice {
    enum class Kind { Board, Generator, Manual };
    Kind kind = Kind::Board;
    GeneratorSource::Options generator;
    std::optional<int> settleMs;
};

// Makes the sources. This one knows no simulated board: the program and the tool give one that
// does when they run on it, so that the windows see only sources.
class SignalSourceFactory {
public:
    virtual ~SignalSourceFactory() = default;
    // Whether the board's own converter can take a tone (the simulated board).
    virtual bool boardSource() const { return false; }
    // Raises NumberedError 5 for a choice it cannot make.
    virtual std::unique_ptr<SignalSource> make(const SourceChoice& choice);
};

}  // namespace rq
