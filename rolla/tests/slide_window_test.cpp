#include <gtest/gtest.h>

#include <sys/wait.h>

#include <QApplication>
#include <QImage>
#include <QScreen>
#include <QTest>

#include "imaging/BitmapFile.h"
#include "imaging/JpegCodec.h"
#include "imaging/tests/PictureFixtures.h"
#include "imaging/tests/TestDir.h"
#include "rolla/ui/SlideShowWindow.h"

using namespace rolla;
using namespace imaging;

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "rolla_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

Rgb32Image Flat(int32_t w, int32_t h, uint32_t colour) {
    Rgb32Image img;
    img.width = w;
    img.height = h;
    img.pixels.assign(size_t(w) * size_t(h), colour);
    return img;
}

SlideShowArgs Args(const TestDir& dir, int16_t mode, int32_t interval = 100000) {
    SlideShowArgs a;
    EXPECT_TRUE(ParseRollaCommandLine("/index.TMP/" + dir.Path() + "/" + std::to_string(mode) + "/" +
                                          std::to_string(interval),
                                      a));
    return a;
}

QImage Grab(QWidget& w) {
    QCoreApplication::processEvents();
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace

TEST(RollaWindow, CoversTheScreenAndShowsEntriesInTurn) {
    App();
    TestDir dir;
    const uint32_t colours[] = {PackRgb(255, 0, 0), PackRgb(0, 255, 0), PackRgb(0, 0, 255)};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(SaveBitmapFile(dir.File("P" + std::to_string(i) + ".BMP"), BlockFromRgb32(Flat(64, 32, colours[i]))));
    }
    dir.Write("Index.TMP", std::string("P0.BMP\r\nP1.BMP\r\nP2.BMP\r\n"));  // found as "index.TMP" too
    SlideShowWindow w(Args(dir, kFitToScreen));
    w.Create();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(w.geometry(), screen);
    EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(w.windowTitle().isEmpty());
    ASSERT_EQ(w.pictureList().size(), 3u);
    EXPECT_EQ(w.pictureList()[0], dir.Path() + "/P0.BMP");

    std::vector<int> order = {w.currentIndex()};
    QImage shot = Grab(w);
    EXPECT_EQ(shot.pixel(screen.width() / 2, screen.height() / 2), colours[0]);
    // Fitted to the screen with the placement's black bands around it.
    const Placement place = PlacePicture(kFitToScreen, 64, 32, screen.width(), screen.height());
    EXPECT_EQ(shot.pixel(place.x + 1, place.y + 1), colours[0]);
    EXPECT_EQ(shot.pixel(place.x + place.width - 2, place.y + place.height - 2), colours[0]);
    ASSERT_TRUE(place.x > 0 || place.y > 0);  // the test pictures are 2:1, the screen is not
    if (place.y > 0) {
        EXPECT_EQ(shot.pixel(screen.width() / 2, place.y - 1), PackRgb(0, 0, 0));
    } else {
        EXPECT_EQ(shot.pixel(place.x - 1, screen.height() / 2), PackRgb(0, 0, 0));
    }
    for (int i = 0; i < 4; ++i) {
        w.OnTimer1();
        order.push_back(w.currentIndex());
        shot = Grab(w);
        EXPECT_EQ(shot.pixel(screen.width() / 2, screen.height() / 2), colours[order.back()]);
    }
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 0, 1}));
}

TEST(RollaWindow, ActualSizeIsCentredOnBlack) {
    App();
    TestDir dir;
    ASSERT_TRUE(EncodeJpegFile(BlockFromRgb32(Flat(64, 32, PackRgb(250, 250, 250))), dir.File("W.JPG"), 95));
    dir.Write("index.TMP", std::string("W.JPG\r\n"));
    SlideShowWindow w(Args(dir, kActualSize));
    w.Create();
    const QSize s = w.size();
    QImage shot = Grab(w);
    const int x0 = (s.width() - 64) / 2, y0 = (s.height() - 32) / 2;
    EXPECT_LE(ChannelDiff(shot.pixel(x0 + 1, y0 + 1), PackRgb(250, 250, 250)), 4);
    EXPECT_LE(ChannelDiff(shot.pixel(x0 + 62, y0 + 30), PackRgb(250, 250, 250)), 4);
    EXPECT_EQ(shot.pixel(x0 - 1, y0 + 10), PackRgb(0, 0, 0));
    EXPECT_EQ(shot.pixel(x0 + 10, y0 + 33), PackRgb(0, 0, 0));
}

TEST(RollaWindow, BrokenEntriesAndOtherModesStayBlack) {
    App();
    TestDir dir;
    ASSERT_TRUE(SaveBitmapFile(dir.File("A.BMP"), BlockFromRgb32(Flat(64, 48, PackRgb(255, 0, 0)))));
    dir.Write("notes.txt", std::string("text"));
    // An empty line, a text file, a missing picture and blanks dropped from "A .BMP".
    dir.Write("index.TMP", std::string("\r\nnotes.txt\r\nmissing.JPG\r\nA .BMP\r\n"));
    SlideShowWindow w(Args(dir, kFitToScreen));
    w.Create();
    ASSERT_EQ(w.pictureList().size(), 4u);
    for (int i = 0; i < 3; ++i) {
        QImage shot = Grab(w);
        EXPECT_EQ(shot.pixel(shot.width() / 2, shot.height() / 2), PackRgb(0, 0, 0)) << i;
        w.OnTimer1();
    }
    EXPECT_EQ(Grab(w).pixel(w.width() / 2, w.height() / 2), PackRgb(255, 0, 0));

    SlideShowWindow other(Args(dir, 3));
    other.Create();
    for (int i = 0; i < 3; ++i) other.OnTimer1();
    EXPECT_EQ(Grab(other).pixel(other.width() / 2, other.height() / 2), PackRgb(0, 0, 0));
}

TEST(RollaWindow, MissingIndexIsCreatedEmpty) {
    App();
    TestDir dir;
    SlideShowWindow w(Args(dir, kFitToScreen));
    w.Create();
    EXPECT_TRUE(w.pictureList().empty());
    EXPECT_TRUE(dir.Exists("index.TMP"));
    w.OnTimer1();
    EXPECT_EQ(w.currentIndex(), 0);
    EXPECT_EQ(Grab(w).pixel(5, 5), PackRgb(0, 0, 0));
}

TEST(RollaWindow, TimerMovesOnByItselfAndAClickCloses) {
    App();
    TestDir dir;
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(SaveBitmapFile(dir.File("P" + std::to_string(i) + ".BMP"), BlockFromRgb32(Flat(8, 8, 0xFF000000u))));
    dir.Write("index.TMP", std::string("P0.BMP\r\nP1.BMP\r\n"));
    SlideShowWindow w(Args(dir, kFitToScreen, 50));
    w.Create();
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.currentIndex() == 1; }, 5000));
    EXPECT_TRUE(w.isVisible());
    QTest::mouseClick(&w, Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(w.pictureList().empty());
}

// The program itself: nothing to do without a command line.
TEST(RollaProgram, EmptyCommandLineEndsAtOnceWithZero) {
    const std::string program = std::string(SUITE_BIN_DIR) + "/rolla.mod";
    const std::vector<std::string> commands = {"'" + program + "'",
                                               "'" + program + "' '/index.TMP/" + std::string(5000, 'x') + "/0/1'"};
    for (const std::string& cmd : commands) {
        int status = std::system(("QT_QPA_PLATFORM=offscreen timeout 20 " + cmd).c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
}
