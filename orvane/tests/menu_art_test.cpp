// The drawn menu pictures against the menu's rules: the red Quit corner of
// the description pictures covers exactly the points whose click quits.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <cstdlib>

#include "AppTeardown.h"
#include "orvane/launch/MenuModel.h"
#include "orvane/ui/MenuArt.h"

using orvane::MenuArt;
using orvane::MenuModel;

namespace {

QGuiApplication& App()
{
    static int argc = 1;
    static char name[] = "orvane_menu_art_test";
    static char* argv[] = {name, nullptr};
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    return *app;
}

// How far a click point on the description picture lies inside (positive)
// or outside (negative) the region whose clicks quit, in pixels.
double DepthInExitRegion(int x, int y)
{
    const int px = MenuModel::TextToPanelX(x);
    const int py = MenuModel::TextToPanelY(y);
    const double d = std::min({double(px - MenuModel::kExitLeft), double(MenuModel::kExitRight - px),
                               double(py - MenuModel::kExitTop), double(MenuModel::kExitBottom - py),
                               (px + py - MenuModel::kExitSum) / 1.4142135});
    return d;
}

bool Reddish(QRgb c)
{
    return qRed(c) > qGreen(c) + 25 && qRed(c) > qBlue(c) + 25;
}

bool NearWhite(QRgb c)
{
    return std::min({qRed(c), qGreen(c), qBlue(c)}) > 190;
}

// Every clearly red pixel of the lower-right part quits, and every pixel well
// inside the quitting region is red (or the white of its label).
void ExpectQuitCornerMatchesTheClickRegion(const QImage& picture, const char* what)
{
    int redInside = 0;
    for (int y = 100; y < 214; ++y) {
        for (int x = 100; x < 231; ++x) {
            const double depth = DepthInExitRegion(x, y);
            const QRgb c = picture.pixel(x, y);
            if (depth < -1.5) {
                ASSERT_FALSE(Reddish(c)) << what << ": red at (" << x << ", " << y << ") does not quit";
            } else if (depth > 1.5) {
                ASSERT_TRUE(Reddish(c) || NearWhite(c))
                    << what << ": (" << x << ", " << y << ") quits but is not part of the red corner";
                redInside += Reddish(c) ? 1 : 0;
            }
        }
    }
    EXPECT_GT(redInside, 2000) << what;
}

TEST(MenuArt, QuitCornerIsDrawnExactlyWhereAClickQuits)
{
    App();
    for (int item = 0; item <= 6; ++item) {
        const QImage picture = MenuArt::DescriptionPicture(item).toImage();
        ASSERT_EQ(picture.size(), QSize(231, 214));
        ExpectQuitCornerMatchesTheClickRegion(picture, qPrintable(QStringLiteral("description %1").arg(item)));
    }
    ExpectQuitCornerMatchesTheClickRegion(MenuArt::ExitPicture().toImage(), "exit picture");
    // The menu picture carries the welcome description at the description area.
    const QImage menu = MenuArt::MenuPicture().toImage().copy(MenuArt::kTextLeft, MenuArt::kTextTop, 231, 214);
    ExpectQuitCornerMatchesTheClickRegion(menu, "menu picture");
}

TEST(MenuArt, PicturesHaveTheirSizes)
{
    App();
    EXPECT_EQ(MenuArt::MenuPicture().size(), QSize(640, 480));
    for (int item = 1; item <= 6; ++item)
        EXPECT_EQ(MenuArt::HoverPicture(item).size(), MenuArt::HoverRect(item).size()) << item;
    EXPECT_EQ(MenuArt::ExitPicture().size(), QSize(259, 255));
    EXPECT_EQ(MenuArt::MakerLogo().size(), QSize(79, 32));
}

}  // namespace
