// The hyperlink static: its look before and after a visit, where the link
// comes from, what a click opens, and the beep when opening fails. The opener
// is replaced, so nothing is launched.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

#include "BeepCounter.h"
#include "QtPrinters.h"
#include "ui/ControlId.h"
#include "ui/StaticLink.h"

using namespace qx;

namespace {

class StaticLinkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previous = CHyperlink::SetUrlOpener([this](const QUrl& url) {
            opened << url.toString();
            return openSucceeds;
        });
        host.resize(320, 60);
        link = new CStaticLink(QString(), false, &host);
        link->setText("http://10.1.2.3:8080");
        link->setGeometry(10, 10, 300, 24);
        host.show();
    }
    void TearDown() override { CHyperlink::SetUrlOpener(previous); }

    void Click() { QTest::mouseClick(link, Qt::LeftButton, Qt::NoModifier, QPoint(20, 12)); }

    // Whether the control shows the colour anywhere (the underline is solid).
    bool Shows(QRgb colour) {
        const QImage image = link->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                    return true;
        return false;
    }
    // The longest horizontal run of the colour: only an underline makes one
    // as long as the text is wide.
    int LongestRunOf(QRgb colour) {
        const QImage image = link->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int longest = 0;
        for (int y = 0; y < image.height(); ++y) {
            int run = 0;
            for (int x = 0; x < image.width(); ++x) {
                run = (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF) ? run + 1 : 0;
                longest = std::max(longest, run);
            }
        }
        return longest;
    }

    qxtest::BeepCounter beeps;
    QWidget host;
    CStaticLink* link = nullptr;
    QStringList opened;
    bool openSucceeds = true;
    CHyperlink::UrlOpener previous;
};

TEST_F(StaticLinkTest, LooksLikeALink) {
    EXPECT_EQ(link->CurrentColour(), QColor(0, 0, 255));
    EXPECT_TRUE(Shows(CStaticLink::kUnvisitedColour));
    const int textWidth = QFontMetrics(link->font()).horizontalAdvance(link->text());
    EXPECT_GE(LongestRunOf(CStaticLink::kUnvisitedColour), textWidth * 9 / 10);
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);

    // A disabled link is grey.
    link->setEnabled(false);
    EXPECT_FALSE(Shows(CStaticLink::kUnvisitedColour));
}

TEST_F(StaticLinkTest, ASuccessfulOpenMakesTheLinkVisited) {
    QSignalSpy navigated(link, &CStaticLink::navigated);
    Click();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], "http://10.1.2.3:8080");
    EXPECT_EQ(beeps.Count(), 0);
    EXPECT_EQ(link->CurrentColour(), QColor(128, 0, 128));
    EXPECT_TRUE(Shows(CStaticLink::kVisitedColour));
    EXPECT_FALSE(Shows(CStaticLink::kUnvisitedColour));
    ASSERT_EQ(navigated.count(), 1);
    EXPECT_TRUE(navigated.at(0).at(0).toBool());
}

TEST_F(StaticLinkTest, AFailedOpenBeepsAndLeavesTheColour) {
    openSucceeds = false;
    QSignalSpy navigated(link, &CStaticLink::navigated);
    Click();
    EXPECT_EQ(opened.size(), 1);
    EXPECT_EQ(beeps.Count(), 1);
    EXPECT_EQ(link->CurrentColour(), QColor(0, 0, 255));
    EXPECT_TRUE(Shows(CStaticLink::kUnvisitedColour));
    EXPECT_FALSE(Shows(CStaticLink::kVisitedColour));
    ASSERT_EQ(navigated.count(), 1);
    EXPECT_FALSE(navigated.at(0).at(0).toBool());

    // Once visited, it stays visited even if a later open fails.
    openSucceeds = true;
    Click();
    openSucceeds = false;
    Click();
    EXPECT_EQ(beeps.Count(), 2);
    EXPECT_EQ(link->CurrentColour(), QColor(128, 0, 128));
}

TEST_F(StaticLinkTest, TheLinkIsReadAtEveryClick) {
    Click();
    // The dialog points the link at another device by changing its text.
    link->setText("http://10.9.9.9:8080");
    Click();
    EXPECT_EQ(opened, QStringList({"http://10.1.2.3:8080", "http://10.9.9.9:8080"}));
    // An address without its scheme is a web address.
    link->setText("10.1.1.1:8080");
    Click();
    EXPECT_EQ(opened.back(), "http://10.1.1.1:8080");

    // An empty link does nothing at all.
    link->setText("");
    Click();
    EXPECT_EQ(opened.size(), 3);
    EXPECT_EQ(beeps.Count(), 0);

    // A press outside or another button is no click.
    link->setText("http://10.1.2.3/");
    QTest::mousePress(link, Qt::LeftButton, Qt::NoModifier, QPoint(20, 12));
    QTest::mouseRelease(link, Qt::LeftButton, Qt::NoModifier, QPoint(400, 12));
    QTest::mouseClick(link, Qt::RightButton, Qt::NoModifier, QPoint(20, 12));
    EXPECT_EQ(opened.size(), 3);
}

TEST_F(StaticLinkTest, AStringResourceWithTheControlsIdComesFirst) {
    SetControlId(link, 4711);
    Click();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], "https://printers.example.org/from-resource");
    // Without such a resource the text counts.
    SetControlId(link, 600);
    Click();
    EXPECT_EQ(opened.back(), "http://10.1.2.3:8080");
}

TEST_F(StaticLinkTest, ALinkGivenAtConstructionIsReloadedOnClick) {
    CStaticLink initial("https://initial.example.org/", false, &host);
    EXPECT_EQ(initial.Link().GetLink(), "https://initial.example.org/");
    initial.setText("https://text.example.org/");
    initial.setGeometry(10, 34, 200, 20);
    initial.show();
    QTest::mouseClick(&initial, Qt::LeftButton, Qt::NoModifier, QPoint(5, 10));
    EXPECT_EQ(opened, QStringList({"https://text.example.org/"}));
    EXPECT_EQ(initial.Link().GetLink(), "https://text.example.org/");

    // The string resource with the control's id comes first here too.
    SetControlId(&initial, 4711);
    QTest::mouseClick(&initial, Qt::LeftButton, Qt::NoModifier, QPoint(5, 10));
    EXPECT_EQ(opened.back(), "https://printers.example.org/from-resource");
}

TEST_F(StaticLinkTest, APictureStaticIsNoLink) {
    QPixmap picture(16, 16);
    picture.fill(Qt::green);
    link->setPixmap(picture);
    EXPECT_FALSE(Shows(CStaticLink::kUnvisitedColour));
    EXPECT_TRUE(Shows(qRgb(0, 255, 0)));
}

TEST_F(StaticLinkTest, DeleteOnDestroyFreesAClosedLink) {
    QPointer<CStaticLink> owned = new CStaticLink(QString(), true);
    QPointer<CStaticLink> kept = new CStaticLink(QString(), false);
    EXPECT_TRUE(owned->DeletesOnDestroy());
    owned->show();
    kept->show();
    owned->close();
    kept->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(owned.isNull());
    ASSERT_FALSE(kept.isNull());
    delete kept.data();
}

TEST(HyperlinkTest, NavigateOpensOnlyAGivenLink) {
    QStringList opened;
    auto previous = CHyperlink::SetUrlOpener([&](const QUrl& url) {
        opened << url.toString();
        return true;
    });
    CHyperlink empty;
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_FALSE(empty.Navigate());
    CHyperlink link("www.example.org");
    EXPECT_TRUE(link.Navigate());
    CHyperlink::SetUrlOpener(previous);
    EXPECT_EQ(opened, QStringList({"http://www.example.org"}));
}

}  // namespace
