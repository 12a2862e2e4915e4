// Protects the generator link on the real event loop against the fake generator on loopback: the
// lines a point sends and where the generator ends up, one failed() per fault naming the address,
// the command and the answer, the timeouts, and deleting the link from its own signal.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTemporaryDir>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "FakeScpiGenerator.h"
#include "common/AtomicFile.h"
#include "generator/ScpiGenerator.h"

using namespace rq;
using namespace rq::generator;
using rq::test::FakeGeneratorOptions;
using rq::test::FakeScpiGenerator;

namespace {

// Runs the event loop until `done` or `limitMs`; true when done.
bool runUntil(const std::function<bool()>& done, int limitMs = 2000) {
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(limitMs);
    while (!done() && deadline.isActive()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return done();
}

void runFor(int ms) {
    runUntil([] { return false; }, ms);
}

// What a generator announced.
struct Announced {
    std::vector<QString> identities;
    std::vector<std::pair<double, double>> points;
    std::vector<GeneratorFault> faults;
    int count() const {
        return static_cast<int>(identities.size() + points.size() + faults.size());
    }
};

class ScpiGeneratorTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { app = std::make_unique<QCoreApplication>(argc, argv); }
    static void TearDownTestSuite() { app.reset(); }

    std::unique_ptr<FakeScpiGenerator> makeFake(FakeGeneratorOptions options = {}) {
        options.lifetimeMs = 10000;
        return std::make_unique<FakeScpiGenerator>(options);
    }

    // A generator on the fake's port, watched into `seen`.
    std::unique_ptr<ScpiGenerator> makeGenerator(const FakeScpiGenerator& fake,
                                                 GeneratorProfile profile = {}) {
        auto generator = std::make_unique<ScpiGenerator>(
            GeneratorAddress{QStringLiteral("127.0.0.1"), fake.port()}, profile);
        watch(*generator);
        return generator;
    }

    void watch(ScpiGenerator& generator) {
        QObject::connect(&generator, &ScpiGenerator::opened,
                         [this](const QString& id) { seen.identities.push_back(id); });
        QObject::connect(&generator, &ScpiGenerator::pointSet,
                         [this](double hz, double dbm) { seen.points.emplace_back(hz, dbm); });
        QObject::connect(&generator, &ScpiGenerator::failed,
                         [this](const GeneratorFault& f) { seen.faults.push_back(f); });
    }

    void openOrFail(ScpiGenerator& generator) {
        generator.open();
        ASSERT_TRUE(runUntil([this] { return seen.count() > 0; })) << "open() never ended";
        ASSERT_EQ(seen.identities.size(), 1u)
            << (seen.faults.empty() ? "" : seen.faults[0].text.toStdString());
    }

    // The one fault announced, after the loop ran on a while to show no second one comes.
    GeneratorFault theFault(int settleMs = 100) {
        EXPECT_TRUE(runUntil([this] { return !seen.faults.empty(); }, 3000));
        runFor(settleMs);
        EXPECT_EQ(seen.faults.size(), 1u);
        return seen.faults.empty() ? GeneratorFault{} : seen.faults.front();
    }

    QString at(const FakeScpiGenerator& fake) const {
        return QStringLiteral("generator 127.0.0.1:%1: ").arg(fake.port());
    }

    Announced seen;

    static inline int argc = 1;
    static inline char name[] = "test_generator";
    static inline char* argv[] = {name, nullptr};
    static inline std::unique_ptr<QCoreApplication> app;
};

const QStringList PointLines = {QStringLiteral("*IDN?"),     QStringLiteral("SOUR:FREQ 10000"),
                                QStringLiteral("SYST:ERR?"), QStringLiteral("SOUR:POW -12.5"),
                                QStringLiteral("SYST:ERR?"), QStringLiteral("OUTP ON"),
                                QStringLiteral("SYST:ERR?")};

}  // namespace

// --- the conversation -------------------------------------------------------------------------

TEST_F(ScpiGeneratorTest, OpenAsksTheIdentityAndAnnouncesIt) {
    auto fake = makeFake();
    auto gen = makeGenerator(*fake);
    openOrFail(*gen);
    EXPECT_EQ(seen.identities[0], QStringLiteral("Fake,SG-1,0001,1.0"));
    EXPECT_EQ(gen->sent(), QStringList{QStringLiteral("*IDN?")});
    EXPECT_EQ(fake->received(), QStringList{QStringLiteral("*IDN?")});
}

TEST_F(ScpiGeneratorTest, APointSendsSixLinesInOrderAndTheGeneratorEndsThere) {
    auto fake = makeFake();
    auto gen = makeGenerator(*fake);
    openOrFail(*gen);
    gen->setPoint(10000, -12.5);
    ASSERT_TRUE(runUntil([this] { return seen.count() > 1; }));
    ASSERT_EQ(seen.points.size(), 1u);
    EXPECT_EQ(seen.points[0], std::make_pair(10000.0, -12.5));
    EXPECT_EQ(gen->sent(), PointLines);
    EXPECT_EQ(fake->received(), PointLines);
    EXPECT_EQ(fake->receivedBytes(), PointLines.join(u'\n').toUtf8() + "\n");
    EXPECT_DOUBLE_EQ(fake->frequency(), 10000);
    EXPECT_DOUBLE_EQ(fake->level(), -12.5);
    EXPECT_TRUE(fake->outputOn());

    gen->setPoint(9973.1234567, -3);
    ASSERT_TRUE(runUntil([this] { return seen.points.size() == 2 || !seen.faults.empty(); }));
    EXPECT_DOUBLE_EQ(fake->frequency(), 9973.123457);
    EXPECT_DOUBLE_EQ(fake->level(), -3);
    EXPECT_EQ(gen->sent().mid(7, 3),
              (QStringList{QStringLiteral("SOUR:FREQ 9973.123457"), QStringLiteral("SYST:ERR?"),
                           QStringLiteral("SOUR:POW -3")}));
    EXPECT_TRUE(seen.faults.empty());
}

TEST_F(ScpiGeneratorTest, AProfileFromAFileSetsTheCommandsAndTheTerminator) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lab.profile"));
    writeFileAtomically(path,
                        "# a generator with its own dialect\n"
                        "idn=*IDN?\n"
                        "freq=FREQ {hz} HZ\n"
                        "level=POW:AMPL {dbm} DBM\n"
                        "output_on=OUTP:STAT 1\n"
                        "error_query=SYST:ERR:NEXT?\n"
                        "terminator=\\r\\n\n");
    FakeGeneratorOptions options;
    options.dialect = {QStringLiteral("*IDN?"), QStringLiteral("FREQ {hz} HZ"),
                       QStringLiteral("POW:AMPL {dbm} DBM"), QStringLiteral("OUTP:STAT 1"),
                       QStringLiteral("SYST:ERR:NEXT?")};
    auto fake = makeFake(options);
    auto gen = makeGenerator(*fake, readGeneratorProfile(path));
    openOrFail(*gen);
    gen->setPoint(1000.5, 7.25);
    ASSERT_TRUE(runUntil([this] { return seen.count() > 1; }));
    ASSERT_EQ(seen.points.size(), 1u) << seen.faults[0].text.toStdString();
    EXPECT_EQ(fake->receivedBytes(), QByteArray("*IDN?\r\n"
                                                "FREQ 1000.5 HZ\r\nSYST:ERR:NEXT?\r\n"
                                                "POW:AMPL 7.25 DBM\r\nSYST:ERR:NEXT?\r\n"
                                                "OUTP:STAT 1\r\nSYST:ERR:NEXT?\r\n"));
    EXPECT_DOUBLE_EQ(fake->frequency(), 1000.5);
    EXPECT_DOUBLE_EQ(fake->level(), 7.25);
    EXPECT_TRUE(fake->outputOn());
}

TEST_F(ScpiGeneratorTest, AnswersInPiecesAndEndedByCrLfAreWholeLines) {
    FakeGeneratorOptions options;
    options.replyTerminator = "\r\n";
    auto fake = makeFake(options);
    fake->splitReplies(true);
    auto gen = makeGenerator(*fake);
    openOrFail(*gen);
    EXPECT_EQ(seen.identities[0], QStringLiteral("Fake,SG-1,0001,1.0"));
    gen->setPoint(2000, -1);
    ASSERT_TRUE(runUntil([this] { return seen.count() > 1; }));
    EXPECT_EQ(seen.points.size(), 1u);
    EXPECT_DOUBLE_EQ(fake->level(), -1);
    gen->setPoint(2000, 50);
    EXPECT_EQ(theFault().answer, QStringLiteral("-222,\"Data out of range\""));
}

TEST_F(ScpiGeneratorTest, AnEmptyIdentityIsAnAnswer) {
    FakeGeneratorOptions options;
    options.identity = QString();
    auto fake = makeFake(options);
    auto gen = makeGenerator(*fake);
    openOrFail(*gen);
    EXPECT_EQ(seen.identities[0], QString());
}

TEST_F(ScpiGeneratorTest, ALineBeyondTheAnswerIsNotTakenForTheNextOne) {
    // Two lines in one read: the first answers the identity, the second is stray and must not
    // be read as the frequency's error answer.
    FakeGeneratorOptions options;
    options.identity = QStringLiteral("Fake,SG-1\n-350,\"Queue overflow\"");
    auto fake = makeFake(options);
    auto gen = makeGenerator(*fake);
    openOrFail(*gen);
    EXPECT_EQ(seen.identities[0], QStringLiteral("Fake,SG-1"));
    gen->setPoint(500, 0);
    ASSERT_TRUE(runUntil([this] { return seen.count() > 1; }));
    EXPECT_EQ(seen.points.size(), 1u);
    EXPECT_TRUE(seen.faults.empty());
}

// --- faults -----------------------------------------------------------------------------------

TEST_F(ScpiGeneratorTest, ARefusedConnectionIsAFault) {
    auto fake = makeFake();
    fake->refuse();
    auto gen = makeGenerator(*fake);
    gen->open();
    const GeneratorFault f = theFault();
    EXPECT_EQ(f.text, at(*fake) + QStringLiteral("connection refused"));
    EXPECT_EQ(f.address.port, fake->port());
    EXPECT_TRUE(f.command.isEmpty());
    EXPECT_TRUE(seen.identities.empty());
}

TEST_F(ScpiGeneratorTest, AHostNameIsLookedUp) {
    auto fake = makeFake();
    ScpiGenerator gen(GeneratorAddress{QStringLiteral("localhost"), fake->port()}, {});
    watch(gen);
    openOrFail(gen);
    EXPECT_EQ(seen.identities[0], QStringLiteral("Fake,SG-1,0001,1.0"));
}

TEST_F(ScpiGeneratorTest, AHostNameThatCannotBeLookedUpIsAFault) {
    // A name no resolver is asked about: it is refused as a name before any lookup.
    ScpiGenerator gen(GeneratorAddress{QStringLiteral("no..such"), 5025}, {});
    watch(gen);
    gen.open();
    EXPECT_EQ(theFault().text, QStringLiteral("generator no..such:5025: host not found"));
}

TEST_F(ScpiGeneratorTest, NoConnectionWithinTheConnectTimeoutIsAFault) {
    auto fake = makeFake();
    ASSERT_TRUE(fake->neverAccept());
    auto gen = makeGenerator(*fake);
    gen->setTimeouts(300, 300);
    QElapsedTimer clock;
    clock.start();
    gen->open();
    const GeneratorFault f = theFault(0);
    EXPECT_GE(clock.elapsed(), 290);
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_EQ(f.text, at(*fake) + QStringLiteral("no connection within 0.3 s"));
    EXPECT_EQ(fake->connectionsAccepted(), 0);
}

TEST_F(ScpiGeneratorTest, AnIdentityNeverAnsweredIsAFaultAfterTheReplyTimeout) {
    auto fake = makeFake();
    fake->stallReplies(true);
    auto gen = makeGenerator(*fake);
    gen->setTimeouts(3000, 300);
    QElapsedTimer clock;
    clock.start();
    gen->open();
    const GeneratorFault f = theFault(0);
    EXPECT_GE(clock.elapsed(), 290);
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_EQ(f.text, at(*fake) + QStringLiteral("no answer to *IDN? within 0.3 s"));
    EXPECT_EQ(f.command, QStringLiteral("*IDN?"));
    EXPECT_TRUE(f.answer.isEmpty());
}

TEST_F(ScpiGeneratorTest, AConnectionNeverReadIsAFaultAfterTheReplyTimeout) {
    auto fake = makeFake();
    fake->acceptButNeverRead(true);
    auto gen = makeGenerator(*fake);
    gen->setTimeouts(300, 300);
    gen->open();
    EXPECT_EQ(theFault(0).text, at(*fake) + QStringLiteral("no answer to *IDN? within 0.3 s"));
    EXPECT_TRUE(fake->received().isEmpty());
}

TEST_F(ScpiGeneratorTest, ALevelOutOfRangeIsAFaultNamingTheCommandAndTheAnswer) {
    auto fake = makeFake();
    auto gen = makeGenerator(*fake);
    openOrFail(*gen);
    gen->setPoint(1000, 30);
    const GeneratorFault f = theFault();
    EXPECT_EQ(f.text,
              at(*fake) + QStringLiteral("SOUR:POW 30 answered -222,\"Data out of range\""));
    EXPECT_EQ(f.command, QStringLiteral("SOUR:POW 30"));
    EXPECT_EQ(f.answer, QStringLiteral("-222,\"Data out of range\""));
    EXPECT_TRUE(seen.points.empty());
    // It stopped there: the output was never switched on, the level never taken.
    EXPECT_EQ(gen->sent().size(), 5);
    EXPECT_FALSE(fake->received().contains(QStringLiteral("OUTP ON")));
    EXPECT_FALSE(fake->outputOn());
    EXPECT_DOUBLE_EQ(fake->frequency(), 1000);
    EXPECT_DOUBLE_EQ(fake->level(), 0);
}

TEST_F(ScpiGeneratorTest, AnErrorAfterTheFrequencyNamesTheFrequencyCommand) {
    auto fake = makeFake();
    fake->failOn(QStringLiteral("sour:freq"), QStringLiteral("+221,\"Settings conflict\""));
    auto gen = makeGenerator(*fake);
    openOrFail(*gen);
    gen->setPoint(12345.678, -10);
    const GeneratorFault f = theFault();
    EXPECT_EQ(f.text, at(*fake) + QStringLiteral(
                                      "SOUR:FREQ 12345.678 answered +221,\"Settings conflict\""));
    EXPECT_EQ(gen->sent().size(), 3);
}

TEST_F(ScpiGeneratorTest, AnErrorQueryNeverAnsweredIsAFaultNamingTheCommandBefore) {
    auto fake = makeFake();
    auto gen = makeGenerator(*fake);
    gen->setTimeouts(300, 300);
    openOrFail(*gen);
    fake->stallReplies(true);
    QElapsedTimer clock;
    clock.start();
    gen->setPoint(1000, -20);
    const GeneratorFault f = theFault(0);
    EXPECT_GE(clock.elapsed(), 290);
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_EQ(
        f.text,
        at(*fake) + QStringLiteral("no answer to SYST:ERR? within 0.3 s (after SOUR:FREQ 1000)"));
    EXPECT_EQ(f.command, QStringLiteral("SOUR:FREQ 1000"));
}

TEST_F(ScpiGeneratorTest, AConnectionDroppedMidPointIsOneFaultWhenItHappens) {
    auto fake = makeFake();
    fake->dropAfter(4);  // *IDN?, SOUR:FREQ, SYST:ERR?, then SOUR:POW closes it
    auto gen = makeGenerator(*fake);
    gen->setTimeouts(300, 1000);
    openOrFail(*gen);
    QElapsedTimer clock;
    clock.start();
    gen->setPoint(1000, -10);
    // Beyond the reply timeout too, so a second report from it would show.
    const GeneratorFault f = theFault(1200);
    EXPECT_EQ(f.text,
              at(*fake) + QStringLiteral("connection closed while waiting for the answer to "
                                         "SYST:ERR? (after SOUR:POW -10)"));
    EXPECT_EQ(f.command, QStringLiteral("SOUR:POW -10"));
    EXPECT_TRUE(seen.points.empty());
}

TEST_F(ScpiGeneratorTest, AConnectionClosedBetweenPointsFailsTheNextCallAndCanBeOpenedAgain) {
    FakeGeneratorOptions options;
    options.maxConnections = 2;
    auto fake = makeFake(options);
    auto gen = makeGenerator(*fake);
    openOrFail(*gen);
    fake->closeConnections();
    runFor(150);
    EXPECT_TRUE(seen.faults.empty()) << "reported while no call ran";

    gen->open();
    ASSERT_TRUE(runUntil([this] { return seen.identities.size() == 2 || !seen.faults.empty(); }));
    EXPECT_EQ(fake->connectionsAccepted(), 2);
    fake->closeConnections();
    runFor(150);
    gen->setPoint(1000, -10);
    EXPECT_EQ(theFault().text,
              at(*fake) + QStringLiteral("connection closed before SOUR:FREQ 1000 could be sent"));
    EXPECT_EQ(gen->sent(), (QStringList{QStringLiteral("*IDN?"), QStringLiteral("*IDN?")}));
}

TEST_F(ScpiGeneratorTest, ACallOutOfTurnFailsFromTheEventLoopAndEndsTheGenerator) {
    auto fake = makeFake();
    auto gen = makeGenerator(*fake);
    gen->setPoint(1000, 0);
    EXPECT_TRUE(seen.faults.empty()) << "failed() came from within the call";
    EXPECT_EQ(theFault().text, at(*fake) + QStringLiteral("not open, SOUR:FREQ 1000 not sent"));

    // Closed after its fault: each further call fails once more, and nothing goes out.
    gen->open();
    ASSERT_TRUE(runUntil([this] { return seen.faults.size() == 2; }));
    gen->setPoint(1000, 0);
    ASSERT_TRUE(runUntil([this] { return seen.faults.size() == 3; }));
    runFor(100);
    EXPECT_EQ(seen.faults.size(), 3u);
    EXPECT_TRUE(seen.faults[1].text.contains(QStringLiteral("closed after a fault")));
    EXPECT_TRUE(gen->sent().isEmpty());
    EXPECT_EQ(fake->connectionsAccepted(), 0);
}

TEST_F(ScpiGeneratorTest, ASecondPointWhileOneIsBeingSetIsRefused) {
    auto fake = makeFake();
    auto gen = makeGenerator(*fake);
    openOrFail(*gen);
    gen->setPoint(1000, 0);
    gen->setPoint(2000, 0);
    const GeneratorFault f = theFault();
    EXPECT_EQ(f.text,
              at(*fake) + QStringLiteral("a point is still being set, SOUR:FREQ 2000 not sent"));
    EXPECT_TRUE(seen.points.empty());
    EXPECT_FALSE(gen->sent().contains(QStringLiteral("SOUR:FREQ 2000")));
}

TEST_F(ScpiGeneratorTest, APointThatIsNoNumberIsRefusedUnsent) {
    auto fake = makeFake();
    auto gen = makeGenerator(*fake);
    openOrFail(*gen);
    gen->setPoint(std::nan(""), 0);
    theFault();
    EXPECT_EQ(gen->sent().size(), 1);
}

TEST_F(ScpiGeneratorTest, CloseEndsQuietlyAndDropsWhatWasStillToBeAnnounced) {
    FakeGeneratorOptions options;
    options.maxConnections = 2;
    auto fake = makeFake(options);
    auto gen = makeGenerator(*fake);
    openOrFail(*gen);
    gen->setPoint(1000, -5);
    ASSERT_TRUE(runUntil([&] { return fake->outputOn(); }));
    gen->close();
    runFor(200);
    EXPECT_EQ(seen.count(), 1) << "a signal after close()";
    EXPECT_EQ(fake->openConnections(), 0);

    gen->open();
    ASSERT_TRUE(runUntil([this] { return seen.count() > 1; }));
    EXPECT_EQ(seen.identities.size(), 2u);
}

TEST_F(ScpiGeneratorTest, CloseDropsAFaultStillToBeAnnounced) {
    auto fake = makeFake();
    auto gen = makeGenerator(*fake);
    gen->setPoint(1000, 0);
    gen->close();
    runFor(100);
    EXPECT_EQ(seen.count(), 0);
    // Still closed for good.
    gen->open();
    EXPECT_TRUE(theFault().text.contains(QStringLiteral("closed after a fault")));
}

// --- deleting the generator from its own signals ------------------------------------------------

TEST_F(ScpiGeneratorTest, TheGeneratorMayBeDeletedFromASlotOfEachFault) {
    enum Fault { Refused, Stalled, ErrorAnswer, Dropped };
    for (const Fault kind : {Refused, Stalled, ErrorAnswer, Dropped}) {
        for (const bool later : {false, true}) {
            auto fake = makeFake();
            if (kind == Refused) {
                fake->refuse();
            }
            if (kind == Dropped) {
                fake->dropAfter(2);
            }
            auto* gen =
                new ScpiGenerator(GeneratorAddress{QStringLiteral("127.0.0.1"), fake->port()}, {});
            gen->setTimeouts(300, 300);
            QPointer<ScpiGenerator> alive(gen);
            int faults = 0;
            QObject::connect(gen, &ScpiGenerator::failed, [&faults, gen, later] {
                ++faults;
                if (later) {
                    gen->deleteLater();
                } else {
                    delete gen;
                }
            });
            QObject::connect(gen, &ScpiGenerator::opened, [&fake, gen, kind] {
                if (kind == Stalled) {
                    fake->stallReplies(true);
                }
                gen->setPoint(1000, kind == ErrorAnswer ? 99 : 0);
            });
            gen->open();
            EXPECT_TRUE(runUntil([&] { return alive.isNull(); }, 3000)) << kind << later;
            runFor(50);
            EXPECT_EQ(faults, 1) << kind << later;
            if (!alive.isNull()) {
                delete gen;
            }
        }
    }
}

TEST_F(ScpiGeneratorTest, TheGeneratorMayBeDeletedFromASlotOfOpenedOrPointSet) {
    FakeGeneratorOptions options;
    options.maxConnections = 2;
    auto fake = makeFake(options);
    const GeneratorAddress address{QStringLiteral("127.0.0.1"), fake->port()};

    auto* gen = new ScpiGenerator(address, {});
    QPointer<ScpiGenerator> alive(gen);
    QObject::connect(gen, &ScpiGenerator::opened, [gen] { delete gen; });
    gen->open();
    EXPECT_TRUE(runUntil([&] { return alive.isNull(); }));

    gen = new ScpiGenerator(address, {});
    alive = gen;
    QObject::connect(gen, &ScpiGenerator::opened, [gen] { gen->setPoint(100, 0); });
    QObject::connect(gen, &ScpiGenerator::pointSet, [gen] { delete gen; });
    gen->open();
    EXPECT_TRUE(runUntil([&] { return alive.isNull(); }));
    runFor(50);
    EXPECT_TRUE(fake->outputOn());
    EXPECT_DOUBLE_EQ(fake->frequency(), 100);
}

// --- the fake's own bounds, which the sweep's tests rely on -------------------------------------

TEST_F(ScpiGeneratorTest, TheFakeTurnsAwayAConnectionBeyondItsBound) {
    auto fake = makeFake();
    auto first = makeGenerator(*fake);
    openOrFail(*first);
    auto second = makeGenerator(*fake);
    second->setTimeouts(1000, 1000);
    second->open();
    const GeneratorFault f = theFault();
    EXPECT_EQ(f.text, at(*fake) + QStringLiteral("connection closed while waiting for the answer "
                                                 "to *IDN?"));
    EXPECT_EQ(fake->connectionsAccepted(), 1);
    EXPECT_EQ(fake->connectionsTurnedAway(), 1);
}

TEST_F(ScpiGeneratorTest, TheFakeEndsItselfAfterItsLifetime) {
    FakeGeneratorOptions options;
    options.lifetimeMs = 200;
    FakeScpiGenerator fake(options);
    ASSERT_TRUE(fake.isListening());
    auto gen = makeGenerator(fake);
    openOrFail(*gen);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(runUntil([&] { return fake.hasEnded(); }, 1000));
    EXPECT_FALSE(fake.isListening());
    EXPECT_EQ(fake.openConnections(), 0);
    EXPECT_LT(clock.elapsed(), 1000);
}
