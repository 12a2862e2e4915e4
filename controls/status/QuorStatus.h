#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "common/HostInterfaces.h"
#include "host/Colours.h"
#include "host/HostedControl.h"

class QLabel;

namespace rq::host {
class ControlRegistry;
}

namespace rq::controls {

// A small scrolling list of status lines, each in its own text colour; the program's message
// list. It fills from the top and, once full, scrolls up one line per new line. Its height snaps
// to a whole number of lines, 1 to 10; lines below the last usable one keep their texts, hidden,
// and show again when the list grows.
//
// Constituents: "Panel" (the white area) holding the labels "lblText0" ... "lblText9" (the
// control array lblText; each label also carries its index in the property "Index"). A line's
// text is its label's accessible name.
class QuorStatus : public host::HostedControl, public MessageList {
    Q_OBJECT
    Q_PROPERTY(uint ForeColour READ ForeColour WRITE setForeColour)
    Q_PROPERTY(uint BackColour READ BackColour WRITE setBackColour)
    Q_PROPERTY(bool FontBold READ FontBold WRITE setFontBold)
    Q_PROPERTY(bool FontItalic READ FontItalic WRITE setFontItalic)
    Q_PROPERTY(QString FontName READ FontName WRITE setFontName)

public:
    static constexpr char ProgId[] = "StatusPane.QuorStatus";
    static constexpr int LineCount = 10;
    static constexpr int LinePitch = 240;   // twips from one line's top to the next
    static constexpr int LineHeight = 255;  // twips

    explicit QuorStatus(QWidget* parent = nullptr);

    // Appends a line: into the first empty usable line (which takes the colour only when one is
    // given), or, when all are full, at the bottom after scrolling the others up with their
    // colours (the new line in the colour given, else ForeColour).
    void AddItem(const QString& str1,
                 std::optional<uint32_t> LastItemColour = std::nullopt) override;
    // Empties all ten lines and gives each the ForeColour.
    void Clear() override;

    // Each setter applies the value to the ten lines, stores it and reports the change; the
    // getters return the stored values, which start at 0, false and empty.
    host::Colour ForeColour() const { return m_foreColour; }
    void setForeColour(host::Colour value);
    host::Colour BackColour() const { return m_backColour; }
    void setBackColour(host::Colour value);
    bool FontBold() const { return m_fontBold; }
    void setFontBold(bool value);
    bool FontItalic() const { return m_fontItalic; }
    void setFontItalic(bool value);
    QString FontName() const { return m_fontName; }
    // An empty name is stored but leaves the lines' family as it is.
    void setFontName(const QString& value);

    // Usable lines, set by every resize.
    int16_t Lines() const { return m_lines; }

    void readProperties(const host::PropertyBag& bag) override;
    void writeProperties(host::PropertyBag& bag) const override;

protected:
    QSize onResize(QSize askedTwips) override;

private:
    void setLine(int k, const QString& text);
    void setLineFont(int k, const QFont& font);

    QWidget* m_panel;
    std::array<QLabel*, LineCount> m_lblText{};
    int16_t m_lines = 1;
    host::Colour m_foreColour = 0;
    host::Colour m_backColour = 0;
    bool m_fontBold = false;
    bool m_fontItalic = false;
    QString m_fontName;
};

// Adds "StatusPane.QuorStatus" to the registry.
void registerStatusPane(host::ControlRegistry& registry);

}  // namespace rq::controls
