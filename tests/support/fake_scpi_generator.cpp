// A fake SCPI signal generator on 127.0.0.1 for a dry run by hand: it prints what it was sent and
// ends when its lifetime is over or its last connection has closed.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include "FakeScpiGenerator.h"

namespace {

bool readRange(const QString& text, double& low, double& high) {
    const QStringList parts = text.split(u':');
    bool lowOk = false;
    bool highOk = false;
    if (parts.size() == 2) {
        low = parts[0].toDouble(&lowOk);
        high = parts[1].toDouble(&highOk);
    }
    return lowOk && highOk && low <= high;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A fake SCPI signal generator on 127.0.0.1, for dry runs."));
    parser.addHelpOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Port to listen on (0: any free one)."),
                                  QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption lifetime(QStringLiteral("lifetime"),
                                      QStringLiteral("Seconds until it ends by itself."),
                                      QStringLiteral("S"), QStringLiteral("300"));
    const QCommandLineOption maxConnections(QStringLiteral("max-connections"),
                                            QStringLiteral("Connections it accepts in all."),
                                            QStringLiteral("K"), QStringLiteral("1"));
    const QCommandLineOption levelRange(QStringLiteral("level-range"),
                                        QStringLiteral("Levels it takes, in dBm."),
                                        QStringLiteral("LO:HI"), QStringLiteral("-130:20"));
    parser.addOptions({port, lifetime, maxConnections, levelRange});
    parser.process(app);

    QTextStream err(stderr);
    rq::test::FakeGeneratorOptions options;
    bool portOk = false;
    bool lifetimeOk = false;
    bool maxOk = false;
    const uint portValue = parser.value(port).toUInt(&portOk);
    const double seconds = parser.value(lifetime).toDouble(&lifetimeOk);
    options.maxConnections = parser.value(maxConnections).toInt(&maxOk);
    if (!portOk || portValue > 65535) {
        err << "fake_scpi_generator: --port takes 0 to 65535\n";
        return 2;
    }
    if (!lifetimeOk || seconds <= 0 || seconds > 86400) {
        err << "fake_scpi_generator: --lifetime takes seconds, more than 0, at most 86400\n";
        return 2;
    }
    if (!maxOk || options.maxConnections < 1) {
        err << "fake_scpi_generator: --max-connections takes a number from 1 up\n";
        return 2;
    }
    if (!readRange(parser.value(levelRange), options.minDbm, options.maxDbm)) {
        err << "fake_scpi_generator: --level-range takes LO:HI in dBm, LO not above HI\n";
        return 2;
    }
    options.port = static_cast<quint16>(portValue);
    options.lifetimeMs = static_cast<int>(seconds * 1000);

    rq::test::FakeScpiGenerator fake(options);
    if (!fake.isListening()) {
        err << "fake_scpi_generator: cannot listen on 127.0.0.1:" << portValue << "\n";
        return 1;
    }
    QTextStream out(stdout);
    out << "listening on 127.0.0.1:" << fake.port() << Qt::endl;
    QObject::connect(&fake, &rq::test::FakeScpiGenerator::lineReceived,
                     [&out](const QString& line) { out << line << Qt::endl; });
    QObject::connect(&fake, &rq::test::FakeScpiGenerator::ended, &app, &QCoreApplication::quit);
    QObject::connect(&fake, &rq::test::FakeScpiGenerator::connectionClosed, &app, [&] {
        if (fake.connectionsAccepted() >= options.maxConnections && fake.openConnections() == 0) {
            fake.end();
        }
    });
    return app.exec();
}
