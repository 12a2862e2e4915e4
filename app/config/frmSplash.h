#pragma once

#include <QDialog>
#include <QPixmap>
#include <QTimer>
#include <array>

class QFrame;
class QLabel;

namespace rq {

// The About box: the product name, the version and a small animation of three frames, one
// every 100 ms. It has a dialog frame without a title bar, takes the keys as soon as it shows,
// and any key, or a click on the frame, the picture or the two name labels, closes it.
class frmSplash : public QDialog {
    Q_OBJECT

public:
    explicit frmSplash(QWidget* parent = nullptr);

    // The frame last shown: 0 until the first tick, then 1, 2, 0, 1, ...
    int AnimationFrame() const { return m_animationFrame; }
    // The three frames of the animation, of 107 by 98, 107 by 98 and 108 by 98 pixels.
    static std::array<QPixmap, 3> animationFrames();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private Q_SLOTS:
    void Timer1_Timer();

private:
    QFrame* m_frame1;
    QLabel* m_picture1;
    std::array<QLabel*, 3> m_picture2{};
    QLabel* m_productName;
    QLabel* m_label1;
    QLabel* m_version;
    QTimer m_timer1{this};
    int m_animationFrame = 0;
};

}  // namespace rq
