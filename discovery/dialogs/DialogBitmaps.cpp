#include "DialogBitmaps.h"

#include <QBitmap>
#include <QImage>
#include <QPainter>

#include <array>
#include <cmath>

namespace qx {

namespace {

const QColor kRowMask(0, 128, 128);
const QColor kAnimationMask(255, 0, 255);

QPixmap Masked(const QImage& image, const QColor& mask) {
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setMask(QBitmap::fromImage(image.createMaskFromColor(mask.rgb(), Qt::MaskInColor)));
    return pixmap;
}

// Icons 0 and 1 are a network and a workstation, 2 a printer, 3 a printer
// that the management component marked (a controller).
QImage RowStrip() {
    QImage strip(kRowIconSize * kRowIconCount, kRowIconSize, QImage::Format_RGB32);
    strip.fill(kRowMask);
    QPainter p(&strip);
    p.setPen(Qt::black);
    // 0: network
    p.setBrush(QColor(0, 0, 192));
    p.drawEllipse(QRect(2, 2, 11, 11));
    // 1: workstation
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(17, 2, 12, 8);
    p.drawRect(20, 12, 6, 2);
    for (int i = 0; i < 2; ++i) {
        const int x = 32 + 16 * i;
        p.setBrush(QColor(224, 224, 224));
        p.drawRect(x + 3, 1, 9, 5);  // paper
        p.setBrush(i == 0 ? QColor(128, 128, 128) : QColor(0, 96, 192));
        p.drawRect(x + 1, 6, 13, 6);  // body
        p.setBrush(QColor(255, 255, 255));
        p.drawRect(x + 4, 12, 7, 2);  // output
        p.fillRect(x + 11, 8, 2, 2, i == 0 ? QColor(0, 192, 0) : QColor(255, 192, 0));
    }
    return strip;
}

// A ring of eight dots whose bright dot moves one step a frame; frame 1
// (idle) has none lit.
QImage AnimationStrip() {
    QImage strip(kAnimationFrameSize * kAnimationFrameCount, kAnimationFrameSize,
                 QImage::Format_RGB32);
    strip.fill(kAnimationMask);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int f = 0; f < kAnimationFrameCount; ++f) {
        const double cx = f * kAnimationFrameSize + 15.0, cy = 15.0;
        for (int d = 0; d < 8; ++d) {
            const double angle = d * 3.14159265358979 / 4.0;
            const int x = static_cast<int>(std::lround(cx + 10 * std::cos(angle)));
            const int y = static_cast<int>(std::lround(cy + 10 * std::sin(angle)));
            const bool bLit = f > 0 && (d == f - 1 || d == (f + 3) % 8);
            p.setPen(Qt::black);
            p.setBrush(bLit ? QColor(0, 160, 0) : QColor(192, 192, 192));
            p.drawEllipse(QPoint(x, y), 3, 3);
        }
        p.setBrush(QColor(0, 0, 160));
        p.drawRect(static_cast<int>(cx) - 3, static_cast<int>(cy) - 3, 6, 6);
    }
    return strip;
}

}  // namespace

QIcon RowIcon(int index) {
    static const std::array<QIcon, kRowIconCount> icons = [] {
        std::array<QIcon, kRowIconCount> out;
        const QPixmap strip = Masked(RowStrip(), kRowMask);
        for (int i = 0; i < kRowIconCount; ++i)
            out[i] = QIcon(strip.copy(i * kRowIconSize, 0, kRowIconSize, kRowIconSize));
        return out;
    }();
    return index >= 0 && index < kRowIconCount ? icons[index] : QIcon();
}

QPixmap AnimationFrame(int frame) {
    static const std::array<QPixmap, kAnimationFrameCount> frames = [] {
        std::array<QPixmap, kAnimationFrameCount> out;
        const QPixmap strip = Masked(AnimationStrip(), kAnimationMask);
        for (int i = 0; i < kAnimationFrameCount; ++i)
            out[i] =
                strip.copy(i * kAnimationFrameSize, 0, kAnimationFrameSize, kAnimationFrameSize);
        return out;
    }();
    if (frame < 1 || frame > kAnimationFrameCount)
        frame = 1;
    return frames[frame - 1];
}

}  // namespace qx
