// Protects the Qt Designer plugin as Designer sees it: the built module loads as a widget
// collection with the five controls under their class and header names, each domXml names its
// class at the control's own design size, and createWidget makes the real control, whose
// designable properties are all ones Designer can edit and whose writes reach the control.
#include <QFont>
#include <QJsonObject>
#include <QLabel>
#include <QMetaProperty>
#include <QPluginLoader>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#include <memory>
#include <optional>
#include <ostream>

#include "WidgetTest.h"

// Sizes in failure messages as "W x H" rather than bytes.
inline void PrintTo(const QSize& size, std::ostream* os) {
    *os << size.width() << " x " << size.height();
}

namespace {

struct ExpectedControl {
    QString className;
    QString includeFile;
    QStringList properties;  // the ones a form designer sets
};

const QList<ExpectedControl> Expected{
    {"rq::controls::QuorStatus",
     "QuorStatus.h",
     {"ForeColour", "BackColour", "FontBold", "FontItalic", "FontName"}},
    {"rq::controls::ToggleButton",
     "ToggleButton.h",
     {"Value", "Font", "OnText", "OffText", "OnTextColour", "OffTextColour", "OnBackColour",
      "OffBackColour"}},
    {"rq::controls::VMBButton",
     "VMBButton.h",
     {"LatchContent", "MemoryPage", "EnableQS", "SupplyText", "BackColor", "ForeColor", "Font",
      "BackStyle", "BorderStyle"}},
    {"rq::controls::QuorFFTControl",
     "QuorFFTControl.h",
     {"DCBins", "SIGBins", "SNR", "THD", "FREQ", "Value", "BackColor"}},
    {"rq::controls::QuorHistogram",
     "QuorHistogram.h",
     {"HistogramPanelBackground", "StatusBackground", "BarColour", "CodeLabelColour",
      "CountLabelColour", "InfoLabelColour", "ResultsLabelColour"}},
};

// The host's extender properties repeat Designer's own geometry, visible and enabled.
const QStringList HostOnly{"Left", "Top", "Width", "Height", "Visible", "Enabled"};

// The value types Designer's property editor has an editor for. A property of any other type
// (short, float, ...) is left out of the editor without a word.
bool designerEdits(const QMetaProperty& p) {
    if (p.isEnumType()) {
        return true;
    }
    switch (p.metaType().id()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Double:
        case QMetaType::QString:
        case QMetaType::QStringList:
        case QMetaType::QByteArray:
        case QMetaType::QUrl:
        case QMetaType::QChar:
        case QMetaType::QFont:
        case QMetaType::QColor:
        case QMetaType::QBrush:
        case QMetaType::QPalette:
        case QMetaType::QIcon:
        case QMetaType::QPixmap:
        case QMetaType::QCursor:
        case QMetaType::QKeySequence:
        case QMetaType::QSizePolicy:
        case QMetaType::QLocale:
        case QMetaType::QSize:
        case QMetaType::QSizeF:
        case QMetaType::QPoint:
        case QMetaType::QPointF:
        case QMetaType::QRect:
        case QMetaType::QRectF:
        case QMetaType::QDate:
        case QMetaType::QTime:
        case QMetaType::QDateTime:
            return true;
        default:
            return false;
    }
}

// The plugin, loaded once and kept for the whole run (widgets it made must not outlive it).
QPluginLoader& loader() {
    static QPluginLoader* l = new QPluginLoader(QStringLiteral(RQ_DESIGNER_PLUGIN));
    return *l;
}

QDesignerCustomWidgetCollectionInterface* collection() {
    return qobject_cast<QDesignerCustomWidgetCollectionInterface*>(loader().instance());
}

QDesignerCustomWidgetInterface* widgetNamed(const QString& className) {
    if (collection() == nullptr) {
        return nullptr;
    }
    for (QDesignerCustomWidgetInterface* w : collection()->customWidgets()) {
        if (w->name() == className) {
            return w;
        }
    }
    return nullptr;
}

// What domXml says about the first widget: its class, object name and geometry.
struct DomWidget {
    QString rootElement;
    QString className;
    QString objectName;
    std::optional<QSize> size;
    QString error;
};

DomWidget parseDom(const QString& xml) {
    DomWidget out;
    QXmlStreamReader r(xml);
    QString inProperty;
    int width = -1;
    int height = -1;
    while (!r.atEnd()) {
        if (r.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        const QString tag = r.name().toString();
        if (out.rootElement.isEmpty()) {
            out.rootElement = tag;
        } else if (tag == u"widget" && out.className.isEmpty()) {
            out.className = r.attributes().value(QLatin1String("class")).toString();
            out.objectName = r.attributes().value(QLatin1String("name")).toString();
        } else if (tag == u"property") {
            inProperty = r.attributes().value(QLatin1String("name")).toString();
        } else if (inProperty == u"geometry" && tag == u"width") {
            width = r.readElementText().toInt();
        } else if (inProperty == u"geometry" && tag == u"height") {
            height = r.readElementText().toInt();
        }
    }
    if (r.hasError()) {
        out.error = r.errorString();
    }
    if (width >= 0 && height >= 0) {
        out.size = QSize(width, height);
    }
    return out;
}

// A value unlike the one the property holds, of the property's own type.
QVariant otherValue(const QVariant& now) {
    switch (now.metaType().id()) {
        case QMetaType::Bool:
            return !now.toBool();
        case QMetaType::Int:
            return now.toInt() + 1;
        case QMetaType::UInt:
            return now.toUInt() ^ 0x00C0FFu;
        case QMetaType::Double:
            return now.toDouble() + 1.5;
        case QMetaType::QString:
            return now.toString() + QStringLiteral("X");
        case QMetaType::QFont: {
            QFont f = now.value<QFont>();
            f.setPointSize(f.pointSize() + 3);
            f.setBold(!f.bold());
            return f;
        }
        default:
            return {};
    }
}

class DesignerPluginTest : public rq::test::WidgetTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(loader().load()) << loader().errorString().toStdString();
        ASSERT_NE(collection(), nullptr) << "the module's instance is no widget collection";
    }

    // The control as Designer makes it, parented as on a form.
    std::unique_ptr<QWidget> form = std::make_unique<QWidget>();
    QWidget* create(const QString& className) {
        QDesignerCustomWidgetInterface* w = widgetNamed(className);
        return w ? w->createWidget(form.get()) : nullptr;
    }
};

TEST_F(DesignerPluginTest, ModuleIsADesignerCollectionOfTheFiveControls) {
    // Designer only asks modules whose metadata carries its interface identifier.
    EXPECT_EQ(loader().metaData().value(u"IID").toString(),
              QStringLiteral("org.qt-project.Qt.QDesignerCustomWidgetCollectionInterface"));

    const QList<QDesignerCustomWidgetInterface*> widgets = collection()->customWidgets();
    ASSERT_EQ(widgets.size(), Expected.size());
    for (const ExpectedControl& e : Expected) {
        SCOPED_TRACE(e.className.toStdString());
        QDesignerCustomWidgetInterface* w = widgetNamed(e.className);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->includeFile(), e.includeFile);
        EXPECT_EQ(w->group(), QStringLiteral("RQ3118"));
        EXPECT_FALSE(w->isContainer());
        EXPECT_FALSE(w->toolTip().isEmpty());
        EXPECT_FALSE(w->whatsThis().isEmpty());
        EXPECT_FALSE(w->icon().isNull());
    }
}

TEST_F(DesignerPluginTest, DomXmlNamesTheClassAtTheControlsOwnSize) {
    const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    for (const ExpectedControl& e : Expected) {
        SCOPED_TRACE(e.className.toStdString());
        QDesignerCustomWidgetInterface* w = widgetNamed(e.className);
        ASSERT_NE(w, nullptr);
        const DomWidget dom = parseDom(w->domXml());
        ASSERT_TRUE(dom.error.isEmpty()) << dom.error.toStdString();
        EXPECT_EQ(dom.rootElement, QStringLiteral("ui"));
        EXPECT_EQ(dom.className, e.className);
        // uic makes a member of this name.
        EXPECT_TRUE(identifier.match(dom.objectName).hasMatch()) << dom.objectName.toStdString();
        ASSERT_TRUE(dom.size.has_value()) << "no default geometry";

        // The default geometry is the size the control makes itself at, and its size rule keeps
        // it, so a control dropped on a form does not jump to another size.
        QWidget* control = w->createWidget(form.get());
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->size(), *dom.size);
        control->resize(*dom.size);
        EXPECT_EQ(control->size(), *dom.size);
    }
}

TEST_F(DesignerPluginTest, CreatedWidgetsAreTheControlsWithEditableProperties) {
    for (const ExpectedControl& e : Expected) {
        SCOPED_TRACE(e.className.toStdString());
        QWidget* control = create(e.className);
        ASSERT_NE(control, nullptr);
        // Designer warns of a mismatch and uic writes this name: they must agree.
        EXPECT_EQ(QString::fromLatin1(control->metaObject()->className()), e.className);
        EXPECT_TRUE(control->inherits("rq::host::HostedControl"));
        EXPECT_EQ(control->parentWidget(), form.get());

        const QMetaObject* meta = control->metaObject();
        for (const QString& name : e.properties) {
            SCOPED_TRACE(name.toStdString());
            const int index = meta->indexOfProperty(name.toLatin1().constData());
            ASSERT_GE(index, 0) << "no such property";
            const QMetaProperty p = meta->property(index);
            EXPECT_TRUE(p.isReadable());
            EXPECT_TRUE(p.isWritable());
            EXPECT_TRUE(p.isDesignable());
            EXPECT_TRUE(designerEdits(p)) << "Designer cannot edit a " << p.typeName();
        }
        // Every other property the control declares is either one Designer can edit or kept
        // out of it, so none goes missing from the editor unnoticed.
        const int own = meta->indexOfProperty("Left");
        ASSERT_GE(own, 0);
        for (int i = own; i < meta->propertyCount(); ++i) {
            const QMetaProperty p = meta->property(i);
            const QString name = QString::fromLatin1(p.name());
            if (HostOnly.contains(name)) {
                EXPECT_FALSE(p.isDesignable()) << name.toStdString();
            } else if (p.isDesignable()) {
                EXPECT_TRUE(designerEdits(p)) << name.toStdString() << " is a " << p.typeName();
                EXPECT_TRUE(e.properties.contains(name)) << name.toStdString() << " not listed";
            }
        }
    }
}

TEST_F(DesignerPluginTest, EveryDesignablePropertyReadsBackWhatWasSet) {
    for (const ExpectedControl& e : Expected) {
        SCOPED_TRACE(e.className.toStdString());
        QWidget* control = create(e.className);
        ASSERT_NE(control, nullptr);
        for (const QString& name : e.properties) {
            SCOPED_TRACE(name.toStdString());
            const QByteArray key = name.toLatin1();
            const QVariant before = control->property(key.constData());
            const QVariant value = otherValue(before);
            ASSERT_TRUE(value.isValid()) << "no test value for " << before.typeName();
            ASSERT_NE(value, before);
            ASSERT_TRUE(control->setProperty(key.constData(), value));
            EXPECT_EQ(control->property(key.constData()), value);
        }
    }
}

TEST_F(DesignerPluginTest, PropertyWritesReachTheControls) {
    // The design encoding's system colours (from &H80000000) survive as unsigned values.
    QWidget* status = create("rq::controls::QuorStatus");
    ASSERT_NE(status, nullptr);
    ASSERT_TRUE(status->setProperty("BackColour", QVariant::fromValue(0x8000000Fu)));
    EXPECT_EQ(status->property("BackColour").toUInt(), 0x8000000Fu);

    QWidget* toggle = create("rq::controls::ToggleButton");
    ASSERT_NE(toggle, nullptr);
    toggle->setProperty("OnText", QStringLiteral("Run"));
    toggle->setProperty("OffText", QStringLiteral("Stopped"));
    auto* lblOn = toggle->findChild<QLabel*>(QStringLiteral("lblOn"));
    auto* lblOff = toggle->findChild<QLabel*>(QStringLiteral("lblOff"));
    ASSERT_NE(lblOn, nullptr);
    ASSERT_NE(lblOff, nullptr);
    EXPECT_EQ(lblOn->text(), QStringLiteral("Run"));
    EXPECT_EQ(lblOff->text(), QStringLiteral("Stopped"));
    // Setting Value stores it and leaves the off face showing, as the control does for a host.
    toggle->setProperty("Value", true);
    EXPECT_TRUE(toggle->property("Value").toBool());
    EXPECT_FALSE(toggle->findChild<QWidget*>(QStringLiteral("ToggleOn"))->isVisibleTo(toggle));

    // The 16-bit values go through int properties to the control's own rules.
    QWidget* buttons = create("rq::controls::VMBButton");
    ASSERT_NE(buttons, nullptr);
    ASSERT_TRUE(buttons->setProperty("LatchContent", 0x2E));
    EXPECT_EQ(buttons->property("LatchContent").toInt(), 0x2E);
    EXPECT_EQ(buttons->property("MemoryPage").toInt(), 2);
    EXPECT_TRUE(buttons->property("EnableQS").toBool());
    auto* lbl1 = buttons->findChild<QLabel*>(QStringLiteral("lbl1"));  // supply, bit 5
    ASSERT_NE(lbl1, nullptr);
    EXPECT_EQ(lbl1->text(), QStringLiteral("ON"));

    // A new panel shows the bin widths it starts with, and a set one in its label.
    QWidget* fft = create("rq::controls::QuorFFTControl");
    ASSERT_NE(fft, nullptr);
    auto* lblDCb = fft->findChild<QLabel*>(QStringLiteral("lblDCb"));
    ASSERT_NE(lblDCb, nullptr);
    EXPECT_EQ(lblDCb->text(), fft->property("DCBins").toString());
    ASSERT_TRUE(fft->setProperty("DCBins", 9));
    EXPECT_EQ(lblDCb->text(), QStringLiteral("9"));

    QWidget* histogram = create("rq::controls::QuorHistogram");
    ASSERT_NE(histogram, nullptr);
    ASSERT_TRUE(histogram->setProperty("HistogramPanelBackground", 0x00FF00u));
    auto* panel = histogram->findChild<QWidget*>(QStringLiteral("Panel"));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->palette().color(panel->backgroundRole()), QColor(0, 255, 0));
}

TEST_F(DesignerPluginTest, EachCreateMakesAControlOfItsOwn) {
    // The widget box and every drop on a form ask again; no two may share state.
    QWidget* first = create("rq::controls::ToggleButton");
    QWidget* second = create("rq::controls::ToggleButton");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_NE(first, second);
    first->setProperty("OnText", QStringLiteral("Only here"));
    EXPECT_NE(second->property("OnText").toString(), QStringLiteral("Only here"));

    // Without a parent too (Designer's previews).
    QDesignerCustomWidgetInterface* w = widgetNamed("rq::controls::QuorStatus");
    ASSERT_NE(w, nullptr);
    std::unique_ptr<QWidget> alone(w->createWidget(nullptr));
    ASSERT_NE(alone, nullptr);
    EXPECT_EQ(alone->parentWidget(), nullptr);
}

}  // namespace
