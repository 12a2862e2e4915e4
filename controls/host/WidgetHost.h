#pragma once

#include <QFileDialog>
#include <QString>
#include <QWidget>

#include "common/HostInterfaces.h"
#include "host/DesignFont.h"
#include "host/Twips.h"

// The host interfaces on Qt's widgets, for the program's windows: message boxes, file dialogs
// and the beep.
namespace rq {

// QMessageBox with the program's icons and button sets. Lines joined by CR alone (as some
// texts are) become line breaks; an empty title shows the program's name.
class WidgetMessageBoxes : public MessageBoxes {
public:
    explicit WidgetMessageBoxes(QWidget* parent) : m_parent(parent) {}
    MsgResult show(const QString& text, const QString& title, MsgIcon icon,
                   MsgButtons buttons) override;
    // The text as a box shows it.
    static QString displayText(const QString& text);

private:
    QWidget* m_parent;
};

// QFileDialog, Qt's own on every platform, starting where the last one ended. The design's
// "Label|pattern|Label|pattern" filters become Qt's, "*.*" (any file) becoming "*" as on Linux.
// A save asks before overwriting only when told to; with a filter of one "*.ext" pattern
// chosen, a name typed without an extension gets ".ext" before that question is asked, so the
// question and the file written name the same file.
class WidgetFileDialogs : public FileDialogs {
public:
    explicit WidgetFileDialogs(QWidget* parent) : m_parent(parent) {}
    std::optional<QString> openFile(const QString& title, const QString& filter) override;
    std::optional<QString> saveFile(const QString& title, const QString& filter,
                                    bool promptOverwrite) override;
    static QString qtFilter(const QString& filter);
    // The extension a Qt filter such as "DAT Files (*.dat)" gives names typed without one;
    // empty for "All Files (*)" and for filters of several patterns.
    static QString defaultSuffix(const QString& qtFilterEntry);

private:
    std::optional<QString> run(QFileDialog& dialog);

    QWidget* m_parent;
    QString m_folder;
};

// A window's control as its design gives it: its design name, the design font, its caption as
// its accessible name, and its place in twips.
template <class W>
W* designed(W* w, const char* name, int left, int top, int width, int height,
            const QString& caption = QString()) {
    w->setObjectName(QString::fromLatin1(name));
    w->setFont(host::designFont());
    if (!caption.isEmpty()) {
        w->setAccessibleName(caption);
    }
    host::placeTwips(w, left, top, width, height);
    return w;
}

// The system beep; silent where the platform has none (offscreen).
class SystemBeeper : public Beeper {
public:
    void beep() override;
};

}  // namespace rq
