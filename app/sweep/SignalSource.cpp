#include "sweep/SignalSource.h"

#include <QTimer>

#include "common/NumberedError.h"
#include "figures/FrequencyText.h"

namespace rq {

using rq::generator::GeneratorFault;
using rq::generator::ScpiGenerator;

void SignalSource::open() {
    readySoon();
}

void SignalSource::applyCalibration(double) {
    Q_EMIT failed(QStringLiteral("%1 takes no calibration").arg(description()));
}

void SignalSource::setFullScaleDbm(double) {}

void SignalSource::readySoon() {
    QTimer::singleShot(0, this, [this] { Q_EMIT ready(); });
}

// ---- Generator ------------------------------------------------------------------------------

GeneratorSource::GeneratorSource(const Options& options, QObject* parent)
    : SignalSource(parent),
      m_options(options),
      m_generator(new ScpiGenerator(options.address, options.profile, this)) {
    connect(m_generator, &ScpiGenerator::opened, this, [this](const QString& identity) {
        m_identity = identity.trimmed();
        Q_EMIT ready();
    });
    connect(m_generator, &ScpiGenerator::pointSet, this, [this](double hz, double dbm) {
        Q_EMIT commanded(hz, dbm);
        Q_EMIT ready();
    });
    connect(m_generator, &ScpiGenerator::failed, this,
            [this](const GeneratorFault& fault) { Q_EMIT failed(fault.text); });
}

GeneratorSource::~GeneratorSource() = default;

QString GeneratorSource::description() const {
    const QString name = QStringLiteral("generator ") + m_options.address.text();
    return m_identity.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, m_identity);
}

void GeneratorSource::open() {
    m_generator->open();
}

void GeneratorSource::apply(double hz, double dbfs) {
    if (!m_options.fullScaleDbm) {
        Q_EMIT failed(QStringLiteral("%1: its full scale is not known; give it or calibrate first")
                          .arg(description()));
        return;
    }
    m_generator->setPoint(hz, dbfs + *m_options.fullScaleDbm);
}

void GeneratorSource::close() {
    m_generator->close();
}

std::optional<double> GeneratorSource::calibrationLevelDbm() const {
    if (m_options.fullScaleDbm) {
        return std::nullopt;
    }
    return m_options.calibrationDbm;
}

void GeneratorSource::applyCalibration(double hz) {
    m_generator->setPoint(hz, m_options.calibrationDbm);
}

QStringList GeneratorSource::sent() const {
    return m_generator->sent();
}

// ---- Manual ---------------------------------------------------------------------------------

ManualSource::ManualSource(int settleMs, QObject* parent)
    : SignalSource(parent), m_settleMs(settleMs) {}

QString ManualSource::description() const {
    return QStringLiteral("manual (the generator set by hand)");
}

QString ManualSource::promptText(double hz, double dbfs) {
    return QStringLiteral("Set the generator to %1 at %2 dBFS")
        .arg(rq::figures::frequencyText(hz), QString::number(dbfs, 'f', 1));
}

void ManualSource::apply(double hz, double dbfs) {
    m_waiting = true;
    m_hz = hz;
    m_dbfs = dbfs;
    Q_EMIT prompt(promptText(hz, dbfs));
}

void ManualSource::proceed() {
    if (m_waiting) {
        m_waiting = false;
        Q_EMIT confirmed(m_hz, m_dbfs);
        Q_EMIT ready();
    }
}

void ManualSource::giveUp(const QString& reason) {
    if (m_waiting) {
        m_waiting = false;
        Q_EMIT failed(reason);
    }
}

// ---- Factory --------------------------------------------------------------------------------

std::unique_ptr<SignalSource> SignalSourceFactory::make(const SourceChoice& choice) {
    switch (choice.kind) {
        case SourceChoice::Kind::Generator: {
            GeneratorSource::Options options = choice.generator;
            if (choice.settleMs) {
                options.settleMs = *choice.settleMs;
            }
            return std::make_unique<GeneratorSource>(options);
        }
        case SourceChoice::Kind::Manual:
            return std::make_unique<ManualSource>(choice.settleMs.value_or(0));
        case SourceChoice::Kind::Board:
            break;
    }
    throw NumberedError(RuntimeError::InvalidCall, QStringLiteral("SignalSourceFactory"),
                        QStringLiteral("the board's converter takes no tone here: only the "
                                       "simulated board does; use a generator or set it by hand"));
}

}  // namespace rq
