// Protects what the host gives every control: extender properties in twips that read back
// exactly, the size rule run for every resize, the container's font, and creation by
// identifier with init or read-properties and its failures.
#include <QLabel>

#include "WidgetTest.h"
#include "host/ControlRegistry.h"
#include "host/DesignFont.h"
#include "host/PropertyBag.h"

using namespace rq::host;

namespace {

// A control of fixed size that records the container notifications it gets.
class Probe : public HostedControl {
    Q_OBJECT
public:
    explicit Probe(QWidget* parent = nullptr) : HostedControl(parent) { ++alive; }
    ~Probe() override { --alive; }
    void initProperties() override { calls << QStringLiteral("init"); }
    void readProperties(const PropertyBag& bag) override {
        calls << QStringLiteral("read");
        caption = bag.readString(QStringLiteral("Caption"), QString());
        if (bag.readBool(QStringLiteral("Fail"), false)) {
            throw rq::runtimeError(rq::RuntimeError::InvalidCall);
        }
    }
    QStringList calls;
    QString caption;
    QSize asked;
    inline static int alive = 0;

protected:
    QSize onResize(QSize askedTwips) override {
        asked = askedTwips;
        return {4125, 930};
    }
};

class HostedControlTest : public rq::test::WidgetTest {};

int failureNumber(const std::function<void()>& f) {
    try {
        f();
    } catch (const rq::NumberedError& e) {
        return e.number();
    }
    return 0;
}

TEST_F(HostedControlTest, TheSizeRuleDecidesForTwipsAndPixelsAlike) {
    QWidget window;
    Probe probe(&window);
    probe.setBounds(7500, 60, 5000, 2000);
    EXPECT_EQ(probe.asked, QSize(5000, 2000));
    EXPECT_EQ(QRect(probe.Left(), probe.Top(), probe.Width(), probe.Height()),
              QRect(7500, 60, 4125, 930));
    EXPECT_EQ(probe.geometry(), QRect(500, 4, 275, 62));

    window.show();
    probe.resize(300, 100);  // Qt, in pixels
    EXPECT_EQ(probe.asked, QSize(4500, 1500));
    EXPECT_EQ(probe.size(), QSize(275, 62));
    probe.move(10, 20);
    EXPECT_EQ(probe.Left(), 150);
}

TEST_F(HostedControlTest, TheContainersFontIsTheDefault) {
    QWidget bare;
    EXPECT_EQ(Probe(&bare).font(), designFont());
    QWidget window;
    const QFont big(QStringLiteral("Liberation Serif"), 12);
    window.setFont(big);
    QWidget frame(&window);  // the font comes down through a plain widget between
    EXPECT_EQ(Probe(&frame).font(), big);
}

TEST_F(HostedControlTest, TheRegistryCreatesByIdentifierWithInitOrDesignTimeValues) {
    ControlRegistry registry;
    registry.add(QStringLiteral("Probes.Probe"), [](QWidget* p) { return new Probe(p); });
    QWidget window;
    auto* bare =
        registry.create<Probe>(QStringLiteral("Probes.Probe"), &window, QStringLiteral("Probe1"));
    EXPECT_EQ(window.findChild<Probe*>(QStringLiteral("Probe1")), bare);
    EXPECT_EQ(bare->calls, QStringList{QStringLiteral("init")});
    EXPECT_TRUE(bare->Visible());
    EXPECT_EQ(bare->Width(), 4125);  // sited: the size rule has run

    MemoryPropertyBag design;
    design.writeString(QStringLiteral("Caption"), QStringLiteral("FFT Mode"), QString());
    auto* loaded = qobject_cast<Probe*>(
        registry.create(QStringLiteral("PROBES.probe"), &window, QStringLiteral("P2"), &design));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->calls, QStringList{QStringLiteral("read")});
    EXPECT_EQ(loaded->caption, QStringLiteral("FFT Mode"));
}

TEST_F(HostedControlTest, FailedCreationsAreNumberedErrorsAndLeaveNoControlBehind) {
    ControlRegistry registry;
    registry.add(QStringLiteral("Probes.Probe"), [](QWidget* p) { return new Probe(p); });
    QWidget window;
    try {
        registry.create(QStringLiteral("SpectrumPane.QuorFFTControl"), &window,
                        QStringLiteral("F"));
        ADD_FAILURE() << "an unknown identifier was created";
    } catch (const rq::NumberedError& e) {
        EXPECT_EQ(e.number(), CannotCreateControl);
        EXPECT_EQ(e.source(), QStringLiteral("Control host"));
        EXPECT_TRUE(e.description().contains(QStringLiteral("SpectrumPane.QuorFFTControl")));
    }
    MemoryPropertyBag failing;
    failing.writeBool(QStringLiteral("Fail"), true, false);
    const int before = Probe::alive;
    EXPECT_EQ(failureNumber(
                  [&] { registry.create(QStringLiteral("Probes.Probe"), &window, {}, &failing); }),
              rq::RuntimeError::InvalidCall);
    EXPECT_EQ(failureNumber(
                  [&] { registry.create<QLabel>(QStringLiteral("Probes.Probe"), &window, {}); }),
              rq::RuntimeError::TypeMismatch);
    EXPECT_EQ(Probe::alive, before);
}

}  // namespace

#include "test_hosted_control.moc"
