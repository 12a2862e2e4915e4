#include "designer/DesignerWidgets.h"

#include "buttons/VMBButton.h"
#include "designer/ControlIcons.h"
#include "designer/ControlWidgetPlugin.h"
#include "fft/QuorFFTControl.h"
#include "histogram/QuorHistogram.h"
#include "status/QuorStatus.h"
#include "toggle/ToggleButton.h"

namespace rq::designer {

namespace {

template <class Control>
ControlDescription describe(const char* displayName, const char* objectName) {
    ControlDescription d;
    d.className = QString::fromLatin1(Control::staticMetaObject.className());
    d.displayName = QString::fromLatin1(displayName);
    d.includeFile = d.displayName + QStringLiteral(".h");
    d.objectName = QString::fromLatin1(objectName);
    d.create = [](QWidget* parent) { return new Control(parent); };
    return d;
}

QList<ControlDescription> descriptions() {
    using namespace rq::controls;
    QList<ControlDescription> list;

    ControlDescription status = describe<QuorStatus>("QuorStatus", "QuorStatus1");
    status.toolTip = QStringLiteral("Status list: scrolling message lines");
    status.whatsThis = QStringLiteral(
        "The program's message list: up to ten lines, each in its own colour. It fills from the "
        "top and then scrolls up one line per new line; its height snaps to whole lines.");
    status.designTwips = {2415, 1470};
    status.icon = statusIcon;
    list << status;

    ControlDescription toggle = describe<ToggleButton>("ToggleButton", "ToggleButton1");
    toggle.toolTip = QStringLiteral("Toggle switch: two coloured faces with captions");
    toggle.whatsThis = QStringLiteral(
        "A two-state switch. A click flips the face and raises Click; the host reads Value. "
        "Captions and colours of both faces are properties.");
    toggle.designTwips = {1335, 315};
    toggle.icon = toggleIcon;
    list << toggle;

    ControlDescription buttons = describe<VMBButton>("VMBButton", "VMBButton1");
    buttons.toolTip = QStringLiteral("Supply switch panel: the board's supply latch byte");
    buttons.whatsThis = QStringLiteral(
        "Six switches that edit the supply latch value (LatchContent): supply, AVDD, DVDD, "
        "their 3 V/5 V choices and the bus. The panel has a fixed size.");
    buttons.designTwips = {VMBButton::FixedWidth, VMBButton::FixedHeight};
    buttons.icon = buttonsIcon;
    list << buttons;

    ControlDescription fft = describe<QuorFFTControl>("QuorFFTControl", "QuorFFTControl1");
    fft.toolTip = QStringLiteral("FFT panel: window, averaging, bins and SNR/THD read-outs");
    fft.whatsThis = QStringLiteral(
        "The FFT analysis panel beside the spectrum chart: the window, averaging and harmonics "
        "choices, the DC and signal bin widths, and the SNR, THD and peak frequency read-outs.");
    fft.designTwips = {QuorFFTControl::DesignWidth, QuorFFTControl::DesignHeight};
    fft.icon = fftIcon;
    list << fft;

    ControlDescription histogram = describe<QuorHistogram>("QuorHistogram", "QuorHistogram1");
    histogram.toolTip = QStringLiteral("Code histogram: rows of codes, bars and counts");
    histogram.whatsThis = QStringLiteral(
        "The code histogram: up to sixteen rows of binary code, bar and count, with the record's "
        "statistics beside them. Its height snaps to the row grid.");
    histogram.designTwips = {9135, 1515};
    histogram.icon = histogramIcon;
    list << histogram;

    return list;
}

}  // namespace

DesignerWidgets::DesignerWidgets(QObject* parent) : QObject(parent) {
    const QList<ControlDescription> list = descriptions();
    for (const ControlDescription& d : list) {
        m_widgets << new ControlWidgetPlugin(d);
    }
}

DesignerWidgets::~DesignerWidgets() {
    qDeleteAll(m_widgets);
}

}  // namespace rq::designer
