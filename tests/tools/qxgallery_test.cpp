// qxgallery saves a picture of each control, with or without a display.

#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>

#include "platform/system/ProgramPath.h"
#include "support/TempRegistry.h"

namespace {

QString Gallery() {
    return QString::fromStdString(qx::ProgramDirectory() + "/qxgallery");
}

TEST(GalleryTest, SavesAScreenshotOfEachControlWithoutADisplay) {
    qxtest::TempDir dir;
    const QString out = QString::fromStdString(dir.Path()) + "/shots";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // No display and no platform chosen: the program must fall back itself.
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    QProcess gallery;
    gallery.setProcessEnvironment(env);
    gallery.start(Gallery(), {"--screenshot", out});
    ASSERT_TRUE(gallery.waitForFinished(60000));
    EXPECT_EQ(gallery.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(gallery.exitCode(), 0) << gallery.readAllStandardError().toStdString();

    QSize whole;
    for (const char* name : {"gallery.png", "checklist.png", "ipaddress.png", "staticlink.png",
                             "firstaddressquery.png"}) {
        const QImage image(out + "/" + name);
        ASSERT_FALSE(image.isNull()) << name;
        EXPECT_GT(image.width(), 100) << name;
        EXPECT_GT(image.height(), 40) << name;
        if (whole.isEmpty())
            whole = image.size();
        EXPECT_LE(image.width(), whole.width()) << name;
    }
    // The visited link shows in its colour.
    const QImage links(out + "/staticlink.png");
    bool visited = false;
    for (int y = 0; y < links.height() && !visited; ++y)
        for (int x = 0; x < links.width() && !visited; ++x)
            visited = (links.pixel(x, y) & 0xFFFFFF) == 0x800080;
    EXPECT_TRUE(visited);
}

TEST(GalleryTest, RefusesUnknownArguments) {
    QProcess gallery;
    gallery.start(Gallery(), {"--bogus"});
    ASSERT_TRUE(gallery.waitForFinished(30000));
    EXPECT_EQ(gallery.exitCode(), 2);
    EXPECT_TRUE(gallery.readAllStandardError().contains("Usage"));
}

}  // namespace
