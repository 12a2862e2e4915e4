#pragma once

// Modal windows answered as a user would, and the pages of a PDF, for the windows' export tests.
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>

namespace rq::test {

// The next modal windows answered as a user would, one after another: a file dialog gets the
// path, the report's fields dialog a serial number.
inline void answerModals(QStringList answers) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, answers]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            return;
        }
        if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            const QString path = answers.takeFirst();
            files->setDirectory(QFileInfo(path).absolutePath());
            if (auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
                name->setText(QFileInfo(path).fileName());
            }
            QMetaObject::invokeMethod(files, "accept");
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            if (auto* serial = dialog->findChild<QLineEdit*>(QStringLiteral("serial"))) {
                serial->setText(answers.takeFirst());
            }
            dialog->accept();
        }
        if (answers.isEmpty()) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(20);
}

inline int pdfPages(const QByteArray& pdf) {
    return static_cast<int>(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r"));
}

}  // namespace rq::test
