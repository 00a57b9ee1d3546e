// qxgallery: shows the controls of the server's dialogs with sample content.
//
//   qxgallery                    opens the gallery window
//   qxgallery --screenshot DIR   saves a PNG picture of each control to DIR and ends
//
// It works without a display: it then draws offscreen, which is all that
// screenshots need.

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QGroupBox>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Gallery.h"
#include "ui/DseFirstAddressQuery.h"

namespace {

void Usage(FILE* out) {
    std::fputs(
        "Usage: qxgallery [--screenshot DIR]\n"
        "Shows the user-interface controls; with --screenshot, saves checklist.png,\n"
        "ipaddress.png, staticlink.png, firstaddressquery.png and gallery.png to DIR.\n",
        out);
}

// Lets the window system show and activate the window, so that the focus
// and the caret appear in the pictures.
void WaitUntilActive(QWidget* window) {
    window->activateWindow();
    QDeadlineTimer deadline(2000);
    while (!window->isActiveWindow() && !deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(5);
    }
    QApplication::processEvents();
}

// A top-level window's picture with a title bar drawn above it, so that its
// caption shows; offscreen there is no window manager to draw one.
QPixmap GrabWindow(QWidget* window) {
    const QPixmap content = window->grab();
    QStyle* style = window->style();
    QStyleOptionTitleBar bar;
    bar.initFrom(window);
    bar.text = window->windowTitle();
    bar.titleBarFlags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
    bar.subControls = QStyle::SC_TitleBarLabel | QStyle::SC_TitleBarCloseButton;
    bar.titleBarState = Qt::WindowActive;
    bar.state |= QStyle::State_Active;
    const int height = style->pixelMetric(QStyle::PM_TitleBarHeight, &bar, window);
    bar.rect = QRect(0, 0, content.width(), height);
    QPixmap framed(content.width(), content.height() + height);
    framed.fill(window->palette().color(QPalette::Window));
    QPainter painter(&framed);
    style->drawComplexControl(QStyle::CC_TitleBar, &bar, &painter, window);
    painter.drawPixmap(0, height, content);
    return framed;
}

bool Save(const QPixmap& picture, const QDir& dir, const char* name) {
    const QString path = dir.filePath(QString::fromUtf8(name));
    if (!picture.save(path, "PNG")) {
        std::fprintf(stderr, "qxgallery: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

int Screenshots(const QString& dirName) {
    QDir dir(dirName);
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "qxgallery: cannot create %s\n", qPrintable(dirName));
        return 1;
    }
    qx::Gallery gallery;
    gallery.show();
    WaitUntilActive(&gallery);
    gallery.ShowInteractionStates();
    QApplication::processEvents();

    bool ok = Save(gallery.CheckListPanel()->grab(), dir, "checklist.png");
    ok = Save(gallery.AddressPanel()->grab(), dir, "ipaddress.png") && ok;
    ok = Save(gallery.LinkPanel()->grab(), dir, "staticlink.png") && ok;
    ok = Save(GrabWindow(&gallery), dir, "gallery.png") && ok;

    qx::CDseFirstAddressQuery query;
    query.show();
    QApplication::processEvents();
    ok = Save(GrabWindow(&query), dir, "firstaddressquery.png") && ok;
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QString screenshotDir;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
            screenshotDir = QString::fromLocal8Bit(argv[++i]);
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            Usage(stdout);
            return 0;
        } else {
            Usage(stderr);
            return 2;
        }
    }
    // Without a display the window system falls back to drawing offscreen.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "xcb;offscreen", 1);
    QApplication app(argc, argv);
    if (!screenshotDir.isEmpty())
        return Screenshots(screenshotDir);

    qx::Gallery gallery;
    gallery.show();
    return app.exec();
}
