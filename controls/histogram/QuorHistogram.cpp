#include "histogram/QuorHistogram.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <algorithm>

#include "common/BasicText.h"
#include "host/ControlRegistry.h"
#include "host/PropertyBag.h"
#include "host/ReadOut.h"
#include "host/Twips.h"

namespace rq::controls {

using host::Colour;
namespace hist = rq::histogram;

namespace {

constexpr Colour DefaultPanelBackground = 0xFFFF00;
constexpr Colour DefaultStatusBackground = 0xFFFFFF;
constexpr Colour DefaultBarColour = 0xFF0000;
constexpr Colour DefaultLabelColour = host::SystemColour::ButtonText;

const QString KeyPanelBackground = QStringLiteral("HistogramPanelBackground");
const QString KeyStatusBackground = QStringLiteral("StatusBackground");
const QString KeyBarColour = QStringLiteral("BarColour");
const QString KeyCodeLabelColour = QStringLiteral("CodeLabelColour");
const QString KeyCountLabelColour = QStringLiteral("CountLabelColour");
const QString KeyInfoLabelColour = QStringLiteral("InfoLabelColour");
const QString KeyResultsLabelColour = QStringLiteral("ResultsLabelColour");

constexpr const char* StatisticNames[] = {
    "Samples:", "Max Code:", "Min Code:", "Spread:", "Std Dev:", "Mean:"};

// The statistics box: captions and values in two columns, one line each.
constexpr int InfoTop = 45;
constexpr int InfoPitch = 240;
constexpr int NameLeft = 90;
constexpr int NameWidth = 900;
constexpr int ResultLeft = 1020;
constexpr int ResultWidth = 975;

QFrame* makeBox(QWidget* parent, const char* name, Colour back) {
    auto* box = new QFrame(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    box->setLineWidth(1);
    host::setBackColour(box, back);
    return box;
}

template <class W>
W* makeIndexed(QWidget* parent, const char* name, int index) {
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name) + QString::number(index));
    w->setProperty("Index", index);
    return w;
}

QLabel* makeLabel(QWidget* parent, const char* name, int index, const QString& text) {
    auto* label = makeIndexed<QLabel>(parent, name, index);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    host::showReadOut(label, text);
    host::setForeColour(label, DefaultLabelColour);
    return label;
}

// The stand-in font is wider than the design's: a grouped code such as "0000000XXXXXXXXX" runs a
// few pixels past its 1600-twip box. Such a text is set a little tighter instead of clipped.
void fitToWidth(QLabel* label) {
    QFont font = label->font();
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0);
    const QString text = label->text();
    const int room = label->width();
    for (double spacing = 0; spacing >= -1.0; spacing -= 0.05) {
        font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
        if (text.isEmpty() || room <= 0 || QFontMetrics(font).horizontalAdvance(text) <= room) {
            break;
        }
    }
    if (font.letterSpacing() != label->font().letterSpacing()) {
        label->setFont(font);
    }
}

// A filled rectangle with a thin outline, so bars of neighbouring rows, which overlap by a pixel,
// still read as rows.
QWidget* makeBar(QWidget* parent, int index) {
    auto* bar = makeIndexed<QFrame>(parent, "shape1", index);
    bar->setFrameStyle(QFrame::Box | QFrame::Plain);
    bar->setLineWidth(1);
    host::setBackColour(bar, DefaultBarColour);
    host::setForeColour(bar, host::SystemColour::WindowText);
    return bar;
}

int rowTop(int k) {
    return hist::RowPitch * k;
}

}  // namespace

QuorHistogram::QuorHistogram(QWidget* parent)
    : HostedControl(parent),
      m_panel(makeBox(this, "Panel", DefaultPanelBackground)),
      m_picInfo(makeBox(this, "picInfo", DefaultStatusBackground)) {
    const QString zeros(16, u'0');
    for (int k = 0; k < RowCount; ++k) {
        m_lblCode[k] = makeLabel(m_panel, "lblCODE", k, zeros);
        host::placeTwips(m_lblCode[k], hist::CodeLeft, rowTop(k), hist::CodeWidth, hist::RowHeight);
        m_shape1[k] = makeBar(m_panel, k);
        host::placeTwips(m_shape1[k], hist::BarLeft, rowTop(k), 0, hist::RowHeight);
        m_lblCount[k] = makeLabel(m_panel, "lblCOUNT", k, QString());
        // In a narrow control the counts move over the codes; painted on the panel's colour they
        // still read.
        m_lblCount[k]->setAutoFillBackground(true);
        // Nothing to show before the first record.
        m_lblCode[k]->hide();
        m_shape1[k]->hide();
        m_lblCount[k]->hide();
    }
    for (int k = 0; k < StatisticCount; ++k) {
        const int top = InfoTop + InfoPitch * k;
        m_lblNames[k] = makeLabel(m_picInfo, "lblNames", k, QString::fromLatin1(StatisticNames[k]));
        host::placeTwips(m_lblNames[k], NameLeft, top, NameWidth, hist::RowHeight);
        m_lblResults[k] = makeLabel(m_picInfo, "lblResults", k, QString());
        host::placeTwips(m_lblResults[k], ResultLeft, top, ResultWidth, hist::RowHeight);
    }
    setBounds(0, 0, 9135, 1515);
}

void QuorHistogram::setCaption(QLabel* label, const QString& text) {
    host::showReadOut(label, text);
    fitToWidth(label);
}

void QuorHistogram::Draw(std::span<const double> DataArray, int16_t NumberOfBits,
                         std::span<double> ReturnArray) {
    (void)NumberOfBits;
    (void)ReturnArray;
    try {
        hist::Draw(DataArray, m_rows, m_barLength, m_display);
    } catch (...) {
        // The core has hidden every row and kept the statistics it had not yet rewritten.
        showDisplay(m_display);
        throw;
    }
    showDisplay(m_display);
}

void QuorHistogram::showDisplay(const hist::Display& display) {
    for (int k = 0; k < RowCount; ++k) {
        const hist::Row& row = display.rows[k];
        if (row.visible) {
            setCaption(m_lblCode[k], row.code);
            setCaption(m_lblCount[k], row.count);
            host::placeTwips(m_shape1[k], hist::BarLeft, rowTop(k),
                             static_cast<int>(roundHalfEven(row.barWidth)), hist::RowHeight);
        }
        m_lblCode[k]->setVisible(row.visible);
        m_shape1[k]->setVisible(row.visible);
        m_lblCount[k]->setVisible(row.visible);
    }
    for (int k = 0; k < StatisticCount; ++k) {
        setCaption(m_lblResults[k], display.results[k]);
    }
}

QString QuorHistogram::Dec2Bin(int64_t Number, int16_t NumBits, double Blanks) const {
    return hist::Dec2Bin(Number, NumBits, Blanks);
}

Colour QuorHistogram::HistogramPanelBackground() const {
    return host::backColour(m_panel);
}

void QuorHistogram::setHistogramPanelBackground(Colour value) {
    host::setBackColour(m_panel, value);
    reportChange(KeyPanelBackground);
}

Colour QuorHistogram::StatusBackground() const {
    return host::backColour(m_picInfo);
}

void QuorHistogram::setStatusBackground(Colour value) {
    host::setBackColour(m_picInfo, value);
    reportChange(KeyStatusBackground);
}

void QuorHistogram::setBarColour(Colour value) {
    m_barColour = value;
    reportChange(KeyBarColour);
}

void QuorHistogram::setCodeLabelColour(Colour value) {
    m_codeLabelColour = value;
    reportChange(KeyCodeLabelColour);
}

void QuorHistogram::setCountLabelColour(Colour value) {
    m_countLabelColour = value;
    reportChange(KeyCountLabelColour);
}

void QuorHistogram::setInfoLabelColour(Colour value) {
    m_infoLabelColour = value;
    reportChange(KeyInfoLabelColour);
}

void QuorHistogram::setResultsLabelColour(Colour value) {
    m_resultsLabelColour = value;
    reportChange(KeyResultsLabelColour);
}

QSize QuorHistogram::onResize(QSize asked) {
    const int width = std::max(asked.width(), 0);
    // Rows are counted on the height the platform reports, so 1690 counts as the 1695 it shows.
    const int height = host::onPixelGrid(hist::snapHeight(asked.height()));
    m_rows = hist::rowsForHeight(height);
    const hist::Layout l = hist::layout(width, height, InfoWidth);
    // A box cannot be narrower than nothing; the statistics then stand at the left edge.
    const int panelWidth = std::max(l.panelWidth, 0);
    host::placeTwips(m_panel, 0, 0, panelWidth, l.panelHeight);
    host::placeTwips(m_picInfo, panelWidth + 10, 0, InfoWidth, height);
    for (int k = 0; k < RowCount; ++k) {
        host::placeTwips(m_lblCount[k], l.countLeft, rowTop(k), hist::CountWidth, hist::RowHeight);
    }
    // Too narrow for bars beside the statistics: bars of no width, not of negative width.
    m_barLength = std::max(l.barLength, 0);
    return {width, height};
}

void QuorHistogram::initProperties() {
    m_barColour = 0;
    m_codeLabelColour = 0;
    m_countLabelColour = 0;
    m_infoLabelColour = 0;
    m_resultsLabelColour = 0;
}

void QuorHistogram::readProperties(const host::PropertyBag& bag) {
    // The constituents take their colours first, with the design's defaults; the stored values
    // are read after, from the same keys, with 0.
    host::setBackColour(m_panel, bag.readColour(KeyPanelBackground, DefaultPanelBackground));
    const Colour bar = bag.readColour(KeyBarColour, DefaultBarColour);
    const Colour code = bag.readColour(KeyCodeLabelColour, DefaultLabelColour);
    const Colour count = bag.readColour(KeyCountLabelColour, DefaultLabelColour);
    for (int k = 0; k < RowCount; ++k) {
        host::setBackColour(m_shape1[k], bar);
        host::setForeColour(m_lblCode[k], code);
        host::setForeColour(m_lblCount[k], count);
    }
    const Colour info = bag.readColour(KeyInfoLabelColour, DefaultLabelColour);
    const Colour results = bag.readColour(KeyResultsLabelColour, DefaultLabelColour);
    for (int k = 0; k < StatisticCount; ++k) {
        host::setForeColour(m_lblNames[k], info);
        host::setForeColour(m_lblResults[k], results);
    }
    host::setBackColour(m_picInfo, bag.readColour(KeyStatusBackground, DefaultStatusBackground));

    m_barColour = bag.readColour(KeyBarColour, 0);
    m_codeLabelColour = bag.readColour(KeyCodeLabelColour, 0);
    m_countLabelColour = bag.readColour(KeyCountLabelColour, 0);
    m_infoLabelColour = bag.readColour(KeyInfoLabelColour, 0);
    m_resultsLabelColour = bag.readColour(KeyResultsLabelColour, 0);
}

void QuorHistogram::writeProperties(host::PropertyBag& bag) const {
    // The constituents' colours first, then the stored values over them: the later write is the
    // one kept.
    bag.writeColour(KeyPanelBackground, host::backColour(m_panel), DefaultPanelBackground);
    bag.writeColour(KeyBarColour, host::backColour(m_shape1[0]), DefaultBarColour);
    bag.writeColour(KeyCodeLabelColour, host::foreColour(m_lblCode[0]), DefaultLabelColour);
    bag.writeColour(KeyCountLabelColour, host::foreColour(m_lblCount[0]), DefaultLabelColour);
    bag.writeColour(KeyInfoLabelColour, host::foreColour(m_lblNames[0]), DefaultLabelColour);
    bag.writeColour(KeyResultsLabelColour, host::foreColour(m_lblResults[0]), DefaultLabelColour);
    bag.writeColour(KeyStatusBackground, host::backColour(m_picInfo), DefaultStatusBackground);

    bag.writeColour(KeyBarColour, m_barColour, 0);
    bag.writeColour(KeyCodeLabelColour, m_codeLabelColour, 0);
    bag.writeColour(KeyCountLabelColour, m_countLabelColour, 0);
    bag.writeColour(KeyInfoLabelColour, m_infoLabelColour, 0);
    bag.writeColour(KeyResultsLabelColour, m_resultsLabelColour, 0);
}

void registerHistoPane(host::ControlRegistry& registry) {
    registry.add(QString::fromLatin1(QuorHistogram::ProgId),
                 [](QWidget* parent) { return new QuorHistogram(parent); });
}

}  // namespace rq::controls
