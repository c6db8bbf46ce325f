#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QToolBar>
#include <sys/wait.h>

#include "GuiTestApp.h"
#include "glimra/core/CommandIds.h"
#include "glimra/ui/CGlimraApp.h"
#include "glimra/ui/CGlimraView.h"
#include "glimra/ui/CMainFrame.h"
#include "imaging/BitmapFile.h"
#include "imaging/JpegCodec.h"
#include "imaging/tests/PictureFixtures.h"
#include "imaging/tests/TestDir.h"
#include "platform/Registry.h"

using namespace glimra;
using namespace imaging;

namespace {

constexpr const char* kKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendra\\Pictaro";

Rgb32Image Flat(int32_t w, int32_t h, uint32_t colour) {
    Rgb32Image img;
    img.width = w;
    img.height = h;
    img.pixels.assign(size_t(w) * size_t(h), colour);
    return img;
}

// A viewer on a folder made by the test, with its hand-offs recorded.
struct Viewer {
    TestDir dir;
    std::vector<std::string> started;
    struct Message {
        QWidget* owner;
        QString caption, text;
        QMessageBox::Icon icon;
    };
    std::vector<Message> messages;
    struct Sent {
        int32_t portClass;
        std::string file, name, contents;
    };
    std::vector<Sent> sent;
    int sendResult = kSendFinished;
    std::unique_ptr<CGlimraApp> app;

    Viewer() { GuiTestApp(); }

    std::string Registry() const { return dir.File("machine.reg"); }

    bool Start(const std::string& file) {
        ViewServices s;
        s.settings = ViewerSettings(Registry());
        s.startProgram = [this](const std::string& line) { started.push_back(line); };
        s.showMessage = [this](QWidget* o, const QString& c, const QString& t, QMessageBox::Icon i) {
            messages.push_back({o, c, t, i});
        };
        s.sendPicture = [this](int32_t cls, const std::string& f, const std::string& n) {
            sent.push_back({cls, f, n, TestDirRead(f)});
            return sendResult;
        };
        app = std::make_unique<CGlimraApp>(std::move(s));
        if (!app->InitInstance("/" + file + "/" + dir.Path())) return false;
        frame()->move(0, 0);
        QCoreApplication::processEvents();
        return true;
    }
    static std::string TestDirRead(const std::string& path) {
        std::ifstream f(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    CMainFrame* frame() const { return app->frame(); }
    CGlimraView* view() const { return frame()->view(); }
    ViewerState& state() { return app->state(); }
    QImage Grab() {
        QCoreApplication::processEvents();
        return view()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    void Command(int id) {
        view()->OnCommand(id);
        QCoreApplication::processEvents();
    }
};

}  // namespace

TEST(GlimraWindow, NextAndPreviousWalkTheIndexAndSetTheCaption) {
    Viewer v;
    ASSERT_TRUE(SaveBitmapFile(v.dir.File("A.BMP"), BlockFromRgb32(Flat(40, 30, PackRgb(255, 0, 0)))));
    ASSERT_TRUE(EncodeJpegFile(BlockFromRgb32(Flat(40, 30, PackRgb(0, 0, 255))), v.dir.File("B.JPG"), 90));
    ASSERT_TRUE(EncodeJpegFile(BlockFromRgb32(Flat(40, 30, PackRgb(0, 255, 0))), v.dir.File("C.JPG"), 90));
    v.dir.Write("Index.TMP", std::string("A.BMP\r\nB.JPG\r\nC.JPG\r\n"));
    ASSERT_TRUE(v.Start("A.BMP"));
    EXPECT_EQ(v.frame()->windowTitle(), QStringLiteral("Glimra - ( A.BMP )"));
    EXPECT_EQ(v.state().pictureNames.size(), 3u);

    const std::vector<std::pair<int, std::string>> steps = {
        {kCmdNextPicture, "B.JPG"}, {kCmdNextPicture, "C.JPG"}, {kCmdNextPicture, "A.BMP"},
        {kCmdPreviousPicture, "C.JPG"}, {kCmdPreviousPicture, "B.JPG"}};
    for (const auto& [cmd, want] : steps) {
        v.Command(cmd);
        EXPECT_EQ(v.state().currentFile, want);
        EXPECT_EQ(v.frame()->windowTitle(), QString::fromStdString("Glimra - ( " + want + " )"));
    }
    // What is drawn is the current picture: B.JPG is blue.
    QImage shot = v.Grab();
    EXPECT_LE(ChannelDiff(shot.pixel(10, 10), PackRgb(0, 0, 255)), 6);
}

TEST(GlimraWindow, KeysStepThroughThePictures) {
    Viewer v;
    ASSERT_TRUE(SaveBitmapFile(v.dir.File("A.BMP"), BlockFromRgb32(Flat(20, 20, PackRgb(255, 0, 0)))));
    ASSERT_TRUE(SaveBitmapFile(v.dir.File("B.BMP"), BlockFromRgb32(Flat(20, 20, PackRgb(0, 255, 0)))));
    v.dir.Write("index.tmp", std::string("A.BMP\nB.BMP\n"));  // the index name in another case is found too
    ASSERT_TRUE(v.Start("A.BMP"));
    QAction* next = v.frame()->commandAction(kCmdNextPicture);
    QAction* prev = v.frame()->commandAction(kCmdPreviousPicture);
    ASSERT_NE(next, nullptr);
    ASSERT_NE(prev, nullptr);
    EXPECT_EQ(next->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(prev->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_B));
    next->trigger();
    EXPECT_EQ(v.state().currentFile, "B.BMP");
    prev->trigger();
    EXPECT_EQ(v.state().currentFile, "A.BMP");
}

TEST(GlimraWindow, EmptyOrMissingIndexKeepsThePicture) {
    Viewer v;
    ASSERT_TRUE(SaveBitmapFile(v.dir.File("A.BMP"), BlockFromRgb32(Flat(20, 20, PackRgb(255, 0, 0)))));
    ASSERT_TRUE(v.Start("A.BMP"));
    v.Command(kCmdNextPicture);
    EXPECT_EQ(v.state().currentFile, "A.BMP");
    v.Command(kCmdPreviousPicture);
    EXPECT_EQ(v.state().currentFile, "A.BMP");
}

TEST(GlimraWindow, ToolbarButtonsTooltipsAndFrameStyle) {
    Viewer v;
    ASSERT_TRUE(SaveBitmapFile(v.dir.File("A.BMP"), BlockFromRgb32(Flat(20, 20, PackRgb(255, 0, 0)))));
    ASSERT_TRUE(v.Start("A.BMP"));
    QToolBar* bar = v.frame()->toolBar();
    EXPECT_EQ(bar->iconSize(), QSize(32, 32));
    std::vector<int> ids;
    for (QAction* a : bar->actions()) ids.push_back(a->isSeparator() ? 0 : a->data().toInt());
    EXPECT_EQ(ids, (std::vector<int>{32777, 32778, 0, 32779, 32780, 0, 202, 200, 201}));
    EXPECT_EQ(v.frame()->commandAction(200)->toolTip(), QStringLiteral("Slide show"));
    EXPECT_EQ(v.frame()->commandAction(200)->statusTip(), QString::fromUtf8("スライドショウを実行する。"));
    EXPECT_EQ(v.frame()->commandAction(201)->toolTip(), QStringLiteral("Next picture"));
    EXPECT_EQ(v.frame()->commandAction(202)->toolTip(), QStringLiteral("Previous picture"));
    EXPECT_EQ(v.frame()->commandAction(32777)->toolTip(), QStringLiteral("Edit"));
    EXPECT_EQ(v.frame()->commandAction(32778)->toolTip(), QStringLiteral("Transfer"));
    for (int id : {32777, 32778, 32779, 32780, 202, 200, 201}) {
        EXPECT_FALSE(v.frame()->commandAction(id)->icon().pixmap(32, 32).isNull()) << id;
    }
    // The two turning arrows are mirror images of each other.
    QImage cw = v.frame()->commandAction(32779)->icon().pixmap(32, 32).toImage();
    QImage ccw = v.frame()->commandAction(32780)->icon().pixmap(32, 32).toImage();
    EXPECT_EQ(cw.mirrored(true, false), ccw);
    const Qt::WindowFlags flags = v.frame()->windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
}

TEST(GlimraWindow, ZoomFitsTheViewToThePicture) {
    Viewer v;
    ASSERT_TRUE(SaveBitmapFile(v.dir.File("P.BMP"), BlockFromRgb32(QuarterImage(300, 200))));
    ASSERT_TRUE(v.Start("P.BMP"));
    v.Command(kCmdZoom200);
    EXPECT_EQ(v.state().displayWidth, 600);
    EXPECT_EQ(v.state().displayHeight, 400);
    EXPECT_EQ(v.view()->size(), QSize(600, 400));
    EXPECT_FALSE(v.frame()->scrollBar(Qt::Horizontal)->isVisible());
    EXPECT_FALSE(v.frame()->scrollBar(Qt::Vertical)->isVisible());
    // Every picture pixel is drawn 2x2.
    QImage shot = v.Grab();
    EXPECT_EQ(shot.pixel(10, 10), PackRgb(220, 30, 30));
    EXPECT_EQ(shot.pixel(590, 10), PackRgb(30, 220, 30));
    EXPECT_EQ(shot.pixel(10, 390), PackRgb(30, 30, 220));
    EXPECT_EQ(shot.pixel(299, 199), PackRgb(220, 30, 30));
    EXPECT_EQ(shot.pixel(300, 200), PackRgb(230, 230, 230));

    // At 400 % the picture is larger than the desktop: both bars show.
    v.Command(kCmdZoom400);
    EXPECT_EQ(v.state().displayWidth, 1200);
    EXPECT_TRUE(v.frame()->scrollBar(Qt::Horizontal)->isVisible());
    EXPECT_TRUE(v.frame()->scrollBar(Qt::Vertical)->isVisible());
    EXPECT_LT(v.view()->width(), 1200);

    // The pop-up menu checks the current zoom.
    QMenu* menu = v.view()->CreateZoomMenu();
    ASSERT_EQ(menu->actions().size(), 4);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("100%"));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(menu->actions()[i]->isChecked(), i == 3) << i;
    menu->actions()[0]->trigger();
    EXPECT_EQ(v.state().zoomFactor, 1);
    delete menu;
}

TEST(GlimraWindow, ScrollingMovesThePictureByLinesPagesAndThumb) {
    Viewer v;
    ASSERT_TRUE(SaveBitmapFile(v.dir.File("P.BMP"), BlockFromRgb32(PatternImage(300, 300))));
    ASSERT_TRUE(v.Start("P.BMP"));
    v.Command(kCmdZoom400);
    const int32_t maxY = v.state().displayHeight - v.view()->height();
    ASSERT_GT(maxY, 100);

    v.view()->OnScroll(Qt::Vertical, ScrollCode::kLineDown, 0);
    EXPECT_EQ(v.state().scrollY, 5);
    EXPECT_EQ(v.frame()->ScrollBox(Qt::Vertical), 5);
    v.view()->OnScroll(Qt::Vertical, ScrollCode::kPageDown, 0);
    EXPECT_EQ(v.state().scrollY, 55);
    v.view()->OnScroll(Qt::Vertical, ScrollCode::kPageUp, 0);
    EXPECT_EQ(v.state().scrollY, 5);
    v.view()->OnScroll(Qt::Vertical, ScrollCode::kThumbPosition, 1 << 30);
    EXPECT_EQ(v.state().scrollY, maxY);
    v.view()->OnScroll(Qt::Horizontal, ScrollCode::kThumbPosition, 8);
    EXPECT_EQ(v.state().scrollX, 8);

    // The drawing follows: display pixel (8, maxY) is at the top-left corner.
    QImage shot = v.Grab();
    EXPECT_EQ(shot.pixel(0, 0), PatternColour(8 / 4, maxY / 4));
    EXPECT_EQ(shot.pixel(40, 20), PatternColour((8 + 40) / 4, (maxY + 20) / 4));

    // The real scroll bar's arrow goes through the same rules.
    QScrollBar* vBar = v.frame()->scrollBar(Qt::Vertical);
    vBar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(v.state().scrollY, maxY - 5);
    // "Top" of the bar's menu is no scroll step: bar and picture both stay.
    vBar->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(vBar->value(), maxY - 5);
    EXPECT_EQ(v.state().scrollY, maxY - 5);
    // "Scroll here" puts the thumb somewhere at once: the picture follows.
    vBar->setValue(40);
    EXPECT_EQ(v.state().scrollY, 40);
    EXPECT_EQ(v.Grab().pixel(0, 0), PatternColour(8 / 4, 40 / 4));
    vBar->setValue(maxY - 5);
    EXPECT_EQ(v.state().scrollY, maxY - 5);

    // One notch of the wheel up is three line steps, over the view or a bar.
    const QPointF at(10, 10);
    QWheelEvent up(at, v.view()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(v.view(), &up);
    EXPECT_EQ(v.state().scrollY, maxY - 20);
    QCoreApplication::sendEvent(v.frame()->scrollBar(Qt::Vertical), &up);
    EXPECT_EQ(v.state().scrollY, maxY - 35);
    EXPECT_EQ(v.frame()->ScrollBox(Qt::Vertical), maxY - 35);
}

TEST(GlimraWindow, BrokenPictureShowsTheMessageAndLosesItsThumbnail) {
    Viewer v;
    v.dir.Write("notes.txt", std::string("just text"));
    v.dir.Write("notes.TBM", std::string("thumb"));
    ASSERT_TRUE(SaveBitmapFile(v.dir.File("A.BMP"), BlockFromRgb32(Flat(50, 40, PackRgb(255, 0, 0)))));
    v.dir.Write("Index.TMP", std::string("A.BMP\r\nnotes.txt\r\n"));
    ASSERT_TRUE(v.Start("A.BMP"));
    const QSize before = v.frame()->size();
    const int32_t dw = v.state().displayWidth;
    v.Command(kCmdNextPicture);
    QImage shot = v.Grab();
    EXPECT_TRUE(v.view()->brokenShown());
    EXPECT_FALSE(v.dir.Exists("notes.TBM"));
    EXPECT_EQ(v.frame()->size(), before);  // not resized
    EXPECT_EQ(v.state().displayWidth, dw);
    // A framed white area with dark text in its top-left corner.
    int dark = 0;
    for (int y = 2; y < std::min(16, shot.height()); ++y)
        for (int x = 2; x < std::min(120, shot.width()); ++x)
            if (qGray(shot.pixel(x, y)) < 128) ++dark;
    EXPECT_GT(dark, 20);
    EXPECT_EQ(shot.pixel(shot.width() / 2, shot.height() - 10), qRgb(255, 255, 255));
    EXPECT_LT(qGray(shot.pixel(0, shot.height() / 2)), 128);  // the rectangle's edge
}

TEST(GlimraWindow, PictureChangedOnDiskShowsAtTheNextDraw) {
    Viewer v;
    ASSERT_TRUE(SaveBitmapFile(v.dir.File("A.BMP"), BlockFromRgb32(Flat(50, 40, PackRgb(255, 0, 0)))));
    ASSERT_TRUE(v.Start("A.BMP"));
    EXPECT_EQ(v.Grab().pixel(5, 5), PackRgb(255, 0, 0));
    ASSERT_TRUE(SaveBitmapFile(v.dir.File("A.BMP"), BlockFromRgb32(Flat(50, 40, PackRgb(0, 0, 255)))));
    v.view()->update();
    EXPECT_EQ(v.Grab().pixel(5, 5), PackRgb(0, 0, 255));
}

TEST(GlimraWindow, SlideShowAndEditToolCommandLines) {
    Viewer v;
    ASSERT_TRUE(SaveBitmapFile(v.dir.File("A.BMP"), BlockFromRgb32(Flat(20, 20, PackRgb(255, 0, 0)))));
    ASSERT_TRUE(v.Start("A.BMP"));
    v.Command(kCmdSlideShow);  // no settings at all
    v.Command(kCmdEditTool);   // no edit tool: nothing is started
    ASSERT_EQ(v.started.size(), 1u);
    EXPECT_EQ(v.started[0], "rolla.mod /index.TMP/" + v.dir.Path() + "/0/1000");

    platform::Registry reg(v.Registry());
    ASSERT_TRUE(reg.SetDword(kKey, "Slide Show Mode", 1));
    ASSERT_TRUE(reg.SetDword(kKey, "Slide Show Time", 3000));
    ASSERT_TRUE(reg.SetString(kKey, "Edit Tool Name", "/usr/bin/editor"));
    v.Command(kCmdSlideShow);
    v.Command(kCmdEditTool);
    ASSERT_EQ(v.started.size(), 3u);
    EXPECT_EQ(v.started[1], "rolla.mod /index.TMP/" + v.dir.Path() + "/1/3000");
    EXPECT_EQ(v.started[2], "/usr/bin/editor " + v.dir.Path() + "/A.BMP");
}

TEST(GlimraWindow, RotationTurnsTheFileAndLocksForAWhile) {
    Viewer v;
    ASSERT_TRUE(SaveBitmapFile(v.dir.File("A.BMP"), BlockFromRgb32(QuarterImage(60, 40))));
    v.dir.Write("A.TBM", std::string("thumb"));
    ASSERT_TRUE(v.Start("A.BMP"));
    v.Command(kCmdRotateClockwise);
    v.Command(kCmdRotateClockwise);  // within 0.8 s: ignored
    EXPECT_EQ(v.view()->rotateLock(), 4);
    EXPECT_FALSE(v.dir.Exists("A.TBM"));
    PictureBlock b;
    ASSERT_TRUE(LoadBitmapFile(v.dir.File("A.BMP"), b));
    EXPECT_EQ(b.WidthField(), 40);
    EXPECT_EQ(b.HeightField(), 60);
    EXPECT_EQ(v.state().displayWidth, 40);
    // The red top-left quarter is now at the top right.
    QImage shot = v.Grab();
    EXPECT_EQ(shot.pixel(35, 5), PackRgb(220, 30, 30));

    // Four ticks of timer 1 (200 ms each) unlock it.
    EXPECT_TRUE(QTest::qWaitFor([&] { return v.view()->rotateLock() == 0; }, 5000));
    v.Command(kCmdRotateCounterClockwise);
    ASSERT_TRUE(LoadBitmapFile(v.dir.File("A.BMP"), b));
    EXPECT_EQ(b.WidthField(), 60);
}

TEST(GlimraWindow, FailedRotationLocksLonger) {
    Viewer v;
    v.dir.Write("notes.txt", std::string("text"));
    ASSERT_TRUE(v.Start("notes.txt"));
    v.Command(kCmdRotateClockwise);
    EXPECT_EQ(v.view()->rotateLock(), 50);
    EXPECT_EQ(v.dir.Read("notes.txt"), "text");
}

TEST(GlimraWindow, TransferSendsASmallJpegUnderTheTransferName) {
    Viewer v;
    ASSERT_TRUE(SaveBitmapFile(v.dir.File("ABCDEFGHIJ.BMP"), BlockFromRgb32(QuarterImage(641, 480))));
    ASSERT_TRUE(v.Start("ABCDEFGHIJ.BMP"));
    platform::Registry reg(v.Registry());
    ASSERT_TRUE(reg.SetDword(kKey, "Port Class", 1));

    const std::vector<std::pair<int, const char*>> results = {
        {kSendFinished, "Finish"}, {kSendFailure, "Failure"}, {kSendMemoryError, "Memory Error"},
        {kSendStopped, "Stop"}, {kSendNotSupported, "This device does not support this feature."},
        {kSendNothingToReport, nullptr}, {9, nullptr}};
    for (const auto& [code, text] : results) {
        v.messages.clear();
        v.sent.clear();
        v.sendResult = code;
        v.Command(kCmdTransfer);
        ASSERT_EQ(v.sent.size(), 1u);
        EXPECT_EQ(v.sent[0].portClass, 1);
        EXPECT_EQ(v.sent[0].name, "ABCDEFGH.UPF");
        EXPECT_FALSE(std::filesystem::exists(v.sent[0].file));  // the temporary file is gone
        EXPECT_EQ(v.sent[0].file.rfind(v.dir.Path() + "/IMG", 0), 0u);
        ASSERT_GT(v.sent[0].contents.size(), 2u);
        EXPECT_EQ(uint8_t(v.sent[0].contents[0]), 0xFF);
        EXPECT_LT(v.sent[0].contents.size(), 128000u);
        Rgb32Image sentPicture;
        ASSERT_TRUE(DecodeJpegRgb32(reinterpret_cast<const uint8_t*>(v.sent[0].contents.data()),
                                    v.sent[0].contents.size(), sentPicture));
        EXPECT_EQ(sentPicture.width, 640);
        if (text == nullptr) {
            EXPECT_TRUE(v.messages.empty()) << code;
        } else {
            ASSERT_EQ(v.messages.size(), 1u) << code;
            EXPECT_EQ(v.messages[0].owner, v.view());
            EXPECT_EQ(v.messages[0].caption, QStringLiteral("Transmission"));
            EXPECT_EQ(v.messages[0].text, QString::fromUtf8(text));
            const bool error = code == kSendFailure || code == kSendMemoryError || code == kSendNotSupported;
            EXPECT_EQ(v.messages[0].icon, error ? QMessageBox::Critical : QMessageBox::Information);
        }
    }
}

TEST(GlimraWindow, TransferOfAnUnsuitablePictureSendsNothing) {
    Viewer v;
    v.dir.Write("notes.txt", std::string("text"));
    ASSERT_TRUE(v.Start("notes.txt"));
    v.Command(kCmdTransfer);
    EXPECT_TRUE(v.sent.empty());
    EXPECT_TRUE(v.messages.empty());
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(v.dir.Path())) (void)e, ++files;
    EXPECT_EQ(files, 1);  // no temporary file left
}

TEST(GlimraWindow, NoFileNameMeansNoWindow) {
    GuiTestApp();
    ViewServices none;
    CGlimraApp app(std::move(none));
    EXPECT_FALSE(app.InitInstance(""));
    EXPECT_FALSE(app.InitInstance("/"));
    EXPECT_EQ(app.frame(), nullptr);
}

TEST(GlimraWindow, NameInAnotherCaseIsShownAndTurnedInPlace) {
    Viewer v;
    ASSERT_TRUE(SaveBitmapFile(v.dir.File("A.BMP"), BlockFromRgb32(QuarterImage(60, 40))));
    ASSERT_TRUE(v.Start("a.bmp"));
    EXPECT_FALSE(v.view()->brokenShown());
    EXPECT_EQ(v.state().displayWidth, 60);
    v.Command(kCmdRotateClockwise);
    PictureBlock b;
    ASSERT_TRUE(LoadBitmapFile(v.dir.File("A.BMP"), b));
    EXPECT_EQ(b.WidthField(), 40);
    EXPECT_FALSE(v.dir.Exists("a.bmp"));  // no second file under the other spelling
}

// The program itself: nothing to do without a picture on the command line.
TEST(GlimraProgram, NoFileNameEndsAtOnceWithZero) {
    const std::string program = std::string(SUITE_BIN_DIR) + "/glimra";
    for (const std::string& args : {std::string(), std::string(" /"), " '/" + std::string(700, 'x') + ".JPG//tmp'"}) {
        int status = std::system(("QT_QPA_PLATFORM=offscreen timeout 20 '" + program + "'" + args).c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << args.substr(0, 20);
    }
}

// The real program start: found on PATH here, split the Windows way, not waited for.
TEST(GlimraProgram, StartedProgramsRunDetached) {
    GuiTestApp();
    TestDir dir;
    ViewServices real = CGlimraApp::DefaultServices();
    real.startProgram("touch " + dir.File("one") + " \"" + dir.File("two words") + "\"");
    real.startProgram("no-such-program-anywhere " + dir.File("three"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return dir.Exists("one") && dir.Exists("two words"); }, 10000));
    EXPECT_FALSE(dir.Exists("three"));
}
