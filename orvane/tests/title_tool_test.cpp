#include <sys/stat.h>

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "LauncherFixture.h"
#include "imaging/BitmapFile.h"
#include "imaging/JpegCodec.h"
#include "orvane/title/CPNReg.h"
#include "orvane/ui/TfrmOWM.h"
#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "platform/tests/ReplaceCounter.h"

using namespace orvane_test;
using orvane::CPNReg;
using orvane::TfrmMain;

namespace {

class TitleToolTest : public LauncherTest {
protected:
    std::string Reg() const { return (dir_ / "machine.reg").string(); }

    void PutAlbum(int n, const std::string& d, const std::string& f, const std::string& t)
    {
        platform::Registry reg(Reg());
        ASSERT_TRUE(reg.SetString(CPNReg::KeyOf(n), "Cover Dir", d));
        ASSERT_TRUE(reg.SetString(CPNReg::KeyOf(n), "Cover File Name", f));
        ASSERT_TRUE(reg.SetString(CPNReg::KeyOf(n), "Cover Title", t));
    }

    std::vector<int> AlbumKeys() const
    {
        platform::Registry reg(Reg());
        std::vector<int> keys;
        for (int n = 0; n < 100; ++n)
            if (reg.KeyExists(CPNReg::KeyOf(n)))
                keys.push_back(n);
        return keys;
    }

    std::string IniValue(const std::string& section, const std::string& key) const
    {
        platform::IniFile ini((dir_ / "orh10.ini").string());
        std::string v;
        return ini.ReadString(section, key, v) ? v : std::string("<missing>");
    }

    // A picture file: a gradient with a red block in the top-left corner.
    void Picture(const fs::path& path, int w, int h, bool jpeg)
    {
        imaging::Rgb32Image img;
        img.width = w;
        img.height = h;
        img.pixels.resize(size_t(w) * size_t(h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                img.Row(y)[x] = (x < w / 4 && y < h / 4) ? imaging::PackRgb(255, 0, 0)
                                                         : imaging::PackRgb(uint8_t(x * 255 / w), 90, uint8_t(y * 255 / h));
        const imaging::PictureBlock block = imaging::BlockFromRgb32(img);
        if (jpeg)
            ASSERT_TRUE(imaging::EncodeJpegFile(block, path.string(), 90));
        else
            ASSERT_TRUE(imaging::SaveBitmapFile(path.string(), block));
    }

    static QSize JpegSize(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        int32_t w = 0, h = 0;
        if (!imaging::ReadJpegSize(b.data(), b.size(), w, h))
            return {};
        return {w, h};
    }

    static imaging::BitmapLayout BmpLayout(const fs::path& path)
    {
        imaging::PictureBlock block;
        imaging::BitmapLayout layout;
        if (imaging::LoadBitmapFile(path.string(), block))
            block.Layout(layout);
        return layout;
    }

    // Clicks a button of the question form once it is shown.
    void AnswerOwmWith(TfrmMain& frm, int button)
    {
        QTimer* timer = new QTimer(&frm);
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, [&frm, button, timer] {
            orvane::TfrmOWM* owm = frm.frmOWM();
            if (!owm->isVisible())
                return;
            timer->stop();
            timer->deleteLater();
            (button == 1 ? owm->BitBtn1 : button == 2 ? owm->BitBtn2 : owm->BitBtn3)->click();
        });
        timer->start();
    }

    fs::path Title() const { return dir_ / "Gallo" / "TITLE"; }
};

TEST_F(TitleToolTest, Item1RestoresTheAlbumListAndSavesItAfterTheOrganiserEnds)
{
    Ini("[Gallo]\nAlbum=2\nNumber0=3\nDir0=Dogs\nFileName0=dog1\nTitle0=Pets\n"
        "Number1=7\nDir1=Trips\nFileName1=sea\nTitle1=Holidays\n");
    PutAlbum(0, "Title", "default", "TitleScreen");
    PutAlbum(12, "old", "old", "old");
    TfrmMain& frm = Make();
    frm.LaunchItem(1);
    ASSERT_EQ(frm.runningItem(), 1);
    EXPECT_EQ(AlbumKeys(), (std::vector<int>{3, 7}));
    ASSERT_TRUE(WaitForStarts(1));
    EXPECT_EQ(StartedPrograms()[0].name, "Gallo.exe");
    EXPECT_EQ(fs::canonical(StartedPrograms()[0].folder), fs::canonical(dir_ / "Gallo"));

    // The user makes album 0 in the organiser, with an empty cover file name.
    PutAlbum(0, "New", "", "Fresh");
    ASSERT_TRUE(StopLastAndWaitForEnd());
    EXPECT_EQ(IniValue("Gallo", "Album"), "3");
    EXPECT_EQ(IniValue("Gallo", "Number0"), "0");
    EXPECT_EQ(IniValue("Gallo", "Dir0"), "New");
    EXPECT_EQ(IniValue("Gallo", "Title0"), "Fresh");
    EXPECT_EQ(IniValue("Gallo", "Number1"), "3");
    EXPECT_EQ(IniValue("Gallo", "Dir1"), "Dogs");
    EXPECT_EQ(IniValue("Gallo", "FileName1"), "dog1");
    EXPECT_EQ(IniValue("Gallo", "Number2"), "7");
    EXPECT_EQ(IniValue("Gallo", "Title2"), "Holidays");

    // The saved list, with its empty value, comes back on the next start.
    frm.LaunchItem(1);
    ASSERT_EQ(frm.runningItem(), 1);
    EXPECT_EQ(AlbumKeys(), (std::vector<int>{0, 3, 7}));
    ASSERT_TRUE(WaitForStarts(2));
    ASSERT_TRUE(StopLastAndWaitForEnd());
}

TEST_F(TitleToolTest, AHundredAlbumsAreRestoredAndSavedWithAFewRewritesOfEachFile)
{
    // The user's list: 100 albums, numbered backwards, some texts empty.
    std::vector<orvane::tagXX> list;
    std::string ini = "; mine\n[Exefile]\nPrgName2=x.exe\n\n[Gallo]\nAlbum=100\n";
    for (int i = 0; i < 100; ++i) {
        orvane::tagXX a;
        a.albumNumber = static_cast<uint8_t>(99 - i);
        a.coverDir = i % 7 == 0 ? "" : "Folder " + std::to_string(i);
        a.coverFileName = "IMG" + std::to_string(1000 + i) + ".JPG";
        a.coverTitle = i % 5 == 0 ? "" : "Album \"" + std::to_string(i) + "\"";
        const std::string n = std::to_string(i);
        ini += "Number" + n + "=" + std::to_string(a.albumNumber) + "\nDir" + n + "=" + a.coverDir + "\nFileName" + n +
               "=" + a.coverFileName + "\nTitle" + n + "=" + a.coverTitle + "\n";
        list.push_back(a);
    }
    Ini(ini);
    PutAlbum(0, "Title", "default", "TitleScreen");
    PutAlbum(42, "old", "old", "old");

    // What the same writes one at a time leave, in files of their own.
    const std::string oneReg = (dir_ / "one.reg").string();
    fs::copy_file(Reg(), oneReg);
    {
        platform::Registry reg(oneReg);
        for (int n = 0; n < 100; ++n)
            ASSERT_TRUE(reg.DeleteKey(CPNReg::KeyOf(n)));
        for (const orvane::tagXX& a : list) {
            const auto text = [](const std::string& t) { return platform::RegValue{platform::REG_SZ, {t.begin(), t.end()}}; };
            ASSERT_TRUE(reg.SetValue(CPNReg::KeyOf(a.albumNumber), "Cover Dir", text(a.coverDir)));
            ASSERT_TRUE(reg.SetValue(CPNReg::KeyOf(a.albumNumber), "Cover File Name", text(a.coverFileName)));
            ASSERT_TRUE(reg.SetValue(CPNReg::KeyOf(a.albumNumber), "Cover Title", text(a.coverTitle)));
        }
    }

    TfrmMain& frm = Make();
    {
        platform_test::ReplaceCounter rewrites(dir_.string(), "machine.reg");
        ASSERT_TRUE(rewrites.ok());
        frm.LaunchItem(1);
        ASSERT_EQ(frm.runningItem(), 1);
        const int count = rewrites.Count();
        EXPECT_GE(count, 1);
        EXPECT_LE(count, 3) << "rewrites of the registry";
    }
    EXPECT_EQ(Read(Reg()), Read(oneReg));
    ASSERT_EQ(AlbumKeys().size(), 100u);
    ASSERT_TRUE(WaitForStarts(1));

    // The organiser gives album 10 a new title; the list comes back in number order.
    PutAlbum(10, "Folder 89", "IMG1089.JPG", "Renamed");
    const std::string oneIni = (dir_ / "one.ini").string();
    fs::copy_file(dir_ / "orh10.ini", oneIni);
    {
        talvix::CProfile single = talvix::CProfile::AtPath(oneIni, dir_.string());
        ASSERT_TRUE(single.WriteInt("Gallo", "Album", 100));
        for (int i = 0; i < 100; ++i) {
            const orvane::tagXX& a = list[size_t(99 - i)];
            const std::string n = std::to_string(i);
            ASSERT_TRUE(single.WriteInt("Gallo", "Number" + n, i));
            ASSERT_TRUE(single.WriteString("Gallo", "Dir" + n, a.coverDir));
            ASSERT_TRUE(single.WriteString("Gallo", "FileName" + n, a.coverFileName));
            ASSERT_TRUE(single.WriteString("Gallo", "Title" + n, i == 10 ? "Renamed" : a.coverTitle));
        }
    }
    {
        platform_test::ReplaceCounter rewrites(dir_.string(), "orh10.ini");
        ASSERT_TRUE(rewrites.ok());
        ASSERT_TRUE(StopLastAndWaitForEnd());
        const int count = rewrites.Count();
        EXPECT_GE(count, 1);
        EXPECT_LE(count, 2) << "rewrites of the settings";
    }
    EXPECT_EQ(Read(dir_ / "orh10.ini"), Read(oneIni));
    EXPECT_EQ(IniValue("Gallo", "Title10"), "Renamed");
    EXPECT_EQ(IniValue("Gallo", "Number99"), "99");
}

TEST_F(TitleToolTest, EmptyAlbumTextsReadBackFromTheUsersFileAndFromTheShippedOne)
{
    const std::string list = "[Gallo]\nAlbum=1\nNumber0=4\nDir0=\nFileName0=cover\nTitle0=\n";
    // The program folder cannot take the user's settings: they live in a
    // folder of their own, and the copy shipped with the program is read
    // until the first change.
    const fs::path own = dir_ / "state" / "orh10.ini";
    for (const bool shippedOnly : {true, false}) {
        fs::remove_all(dir_ / "state");
        fs::remove(dir_ / "orh10.ini");
        if (shippedOnly) {
            Ini(list);
        } else {
            fs::create_directories(own.parent_path());
            std::ofstream(own) << list;
        }
        orvane::OrvaneSetup setup{dir_.string(), dir_.string(),
                                  talvix::CProfile::AtPath(own.string(), dir_.string(), (dir_ / "orh10.ini").string()),
                                  Reg()};
        TfrmMain frm(std::move(setup));
        ASSERT_TRUE(frm.ReadAlbumsFromIni()) << shippedOnly;
        ASSERT_EQ(frm.albumRegistry().albumCount(), 1) << shippedOnly;
        const orvane::tagXX& album = frm.albumRegistry().albums()[0];
        EXPECT_EQ(album.albumNumber, 4) << shippedOnly;
        EXPECT_EQ(album.coverDir, "") << shippedOnly;
        EXPECT_EQ(album.coverFileName, "cover") << shippedOnly;
        EXPECT_EQ(album.coverTitle, "") << shippedOnly;
    }
}

TEST_F(TitleToolTest, ABrokenAlbumListStartsTheOrganiserWithNoAlbums)
{
    const char* broken[] = {
        "[Gallo]\nAlbum=2\nNumber0=3\nDir0=a\nFileName0=b\nTitle0=c\nNumber1=7\nFileName1=b\nTitle1=c\n",
        "[Gallo]\nAlbum=two\n",
        "[Gallo]\nAlbum=1\nNumber0=x\nDir0=a\nFileName0=b\nTitle0=c\n",
        "[Gallo]\nAlbum=1\nNumber0=150\nDir0=a\nFileName0=b\nTitle0=c\n",
        "[Gallo]\nAlbum=-4\n",
    };
    for (const char* text : broken) {
        Ini(text);
        PutAlbum(5, "d", "f", "t");
        TfrmMain& frm = Make();
        EXPECT_FALSE(frm.ReadAlbumsFromIni()) << text;
        frm.LaunchItem(1);
        ASSERT_EQ(frm.runningItem(), 1) << text;
        EXPECT_TRUE(AlbumKeys().empty()) << text;
        ASSERT_TRUE(WaitForStarts(1));
        ASSERT_TRUE(StopLastAndWaitForEnd());
        // No albums after the run: the settings keep what they had.
        EXPECT_NE(IniValue("Gallo", "Album"), "0") << text;
        frm_.reset();
        fs::remove(log_);
    }
}

TEST_F(TitleToolTest, Item6LeavesOnlyTheTitleAlbumAndStartsTheOrganiser)
{
    PutAlbum(3, "d3", "f3", "t3");
    PutAlbum(9, "d9", "f9", "t9");
    TfrmMain& frm = Make();
    frm.LaunchItem(6);
    ASSERT_EQ(frm.runningItem(), 6);
    EXPECT_EQ(AlbumKeys(), std::vector<int>{0});
    platform::Registry reg(Reg());
    EXPECT_EQ(reg.GetString(CPNReg::KeyOf(0), "Cover Dir").value_or(""), "Title");
    EXPECT_EQ(reg.GetString(CPNReg::KeyOf(0), "Cover File Name").value_or(""), "default");
    EXPECT_EQ(reg.GetString(CPNReg::KeyOf(0), "Cover Title").value_or(""), "TitleScreen");
    EXPECT_EQ(IniValue("Exefile", "PrgName1"), "Gallo.exe");
    EXPECT_EQ(IniValue("Exefile", "PathName1"), (dir_ / "Gallo").string());
    ASSERT_TRUE(WaitForStarts(1));
    EXPECT_EQ(StartedPrograms()[0].name, "Gallo.exe");
    ASSERT_TRUE(StopLastAndWaitForEnd());
    EXPECT_EQ(AlbumKeys(), std::vector<int>{0});  // kept until item 1 restores the list
    EXPECT_EQ(IniValue("Gallo", "Album"), "<missing>");
}

TEST_F(TitleToolTest, Item4WritesABlankTitleOpensItAndConvertsTheEditedBitmapAfterYes)
{
    fs::create_directories(Title());
    std::ofstream(Title() / "FRAME000.jpg") << "x";
    std::ofstream(Title() / "FRAME001.jpg") << "x";
    Picture(dir_ / "edited.bmp", 800, 600, false);
    ::setenv("ORVANE_STANDIN_EDIT_FROM", (dir_ / "edited.bmp").c_str(), 1);
    nextAnswer_ = QMessageBox::Yes;

    TfrmMain& frm = Make();
    frm.LaunchItem(4);
    ASSERT_EQ(frm.runningItem(), 4);
    EXPECT_FALSE(frm.isVisible());
    EXPECT_EQ(frm.programFile(), (dir_ / "TitleBase.bmp").string());
    ASSERT_TRUE(WaitForStarts(1));
    EXPECT_EQ(StartedPrograms()[0].name, "bmpedit");
    EXPECT_EQ(StartedPrograms()[0].args, (dir_ / "TitleBase.bmp").string());
    ASSERT_TRUE(StopLastAndWaitForEnd());
    EXPECT_TRUE(frm.isVisible());
    EXPECT_EQ(frm.runningItem(), 0);

    ASSERT_EQ(messages_.size(), 2u);
    EXPECT_EQ(messages_[0].text, QStringLiteral("Convert saved image to a Title Image?\nIf you don't save, the Title Image is lost."));
    EXPECT_EQ(messages_[0].icon, QMessageBox::Question);
    EXPECT_EQ(messages_[0].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(messages_[1].text, QStringLiteral("Title Image was saved as FRAME002"));
    EXPECT_EQ(messages_[1].icon, QMessageBox::NoIcon);
    EXPECT_EQ(messages_[1].caption, QStringLiteral("Orvane"));

    EXPECT_EQ(JpegSize(Title() / "FRAME002.jpg"), QSize(800, 600));
    const imaging::BitmapLayout thumb = BmpLayout(Title() / "FRAME002.tbm");
    EXPECT_EQ(thumb.width, 100);
    EXPECT_EQ(thumb.height, 75);
    EXPECT_EQ(thumb.bitsPerPixel, 24);
}

TEST_F(TitleToolTest, ADocumentOpensWithItsApplicationAndOneWithoutCountsAsAFailedStart)
{
    App();
    orvane::ShellStarter shell;
    std::ofstream(dir_ / "blank.bmp") << "BM";
    orvane::ShellStarter::Result r = shell.Start("blank.bmp", dir_.string());
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_TRUE(WaitForStarts(1));
    EXPECT_EQ(StartedPrograms()[0].name, "bmpedit");
    EXPECT_EQ(fs::canonical(StartedPrograms()[0].folder), fs::canonical(dir_));
    StopAll();
    EXPECT_TRUE(r.process.WaitForExit(-1));

    std::ofstream(dir_ / "data.zzq", std::ios::binary) << std::string("\x01\x02\x03\xfe\x00\x7f", 6);
    EXPECT_FALSE(shell.Start("data.zzq", dir_.string()).ok);
}

TEST_F(TitleToolTest, ADocumentWithTheExecuteBitStillOpensWithItsApplication)
{
    // Folders on some file systems give every file the execute bit; a bitmap
    // there is still a document, not a program.
    App();
    orvane::ShellStarter shell;
    std::ofstream(dir_ / "marked.bmp") << "BM";
    ::chmod((dir_ / "marked.bmp").c_str(), 0755);
    orvane::ShellStarter::Result r = shell.Start("marked.bmp", dir_.string());
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_TRUE(WaitForStarts(1));
    EXPECT_EQ(StartedPrograms()[0].name, "bmpedit");
    StopAll();
    EXPECT_TRUE(r.process.WaitForExit(-1));
}

TEST_F(TitleToolTest, Item4AnsweredNoKeepsTheWorkingBitmapAndSavesNothing)
{
    nextAnswer_ = QMessageBox::No;
    TfrmMain& frm = Make();
    frm.LaunchItem(4);
    ASSERT_EQ(frm.runningItem(), 4);
    EXPECT_EQ(fs::file_size(dir_ / "TitleBase.bmp"), 921654u);
    ASSERT_TRUE(WaitForStarts(1));
    ASSERT_TRUE(StopLastAndWaitForEnd());
    EXPECT_EQ(messages_.size(), 1u);
    EXPECT_FALSE(fs::exists(Title() / "FRAME000.jpg"));
    EXPECT_TRUE(fs::exists(dir_ / "TitleBase.bmp"));
}

TEST_F(TitleToolTest, Item5YesReplacesTheChosenTitleAndItsThumbnail)
{
    fs::create_directories(Title());
    Picture(Title() / "FRAME001.jpg", 640, 480, true);
    std::ofstream(Title() / "FRAME001.TBM") << "old thumbnail";  // as the organiser wrote it
    Picture(dir_ / "edited.bmp", 640, 480, false);
    ::setenv("ORVANE_STANDIN_EDIT_FROM", (dir_ / "edited.bmp").c_str(), 1);
    openAnswers_ = {QString::fromStdString((Title() / "FRAME001.jpg").string())};
    const auto before = fs::last_write_time(Title() / "FRAME001.jpg");

    TfrmMain& frm = Make();
    AnswerOwmWith(frm, 1);
    frm.LaunchItem(5);
    ASSERT_EQ(openRequests_.size(), 1u);
    EXPECT_EQ(openRequests_[0].filter, QStringLiteral("frame*.jpg"));
    EXPECT_EQ(openRequests_[0].fileName, QStringLiteral("frame*.jpg"));
    EXPECT_EQ(openRequests_[0].initialFolder, QString::fromStdString(Title().string()));
    EXPECT_EQ(frm.selectedTitle(), (Title() / "FRAME001.jpg").string());
    ASSERT_EQ(frm.runningItem(), 5);
    EXPECT_EQ(BmpLayout(dir_ / "TitleBase.bmp").bitsPerPixel, 24);  // the working copy
    ASSERT_TRUE(WaitForStarts(1));
    ASSERT_TRUE(StopLastAndWaitForEnd());

    EXPECT_EQ(frm.frmOWM()->Msg->text(), QStringLiteral("Save changes to the Title Image?"));
    EXPECT_EQ(frm.frmOWM()->windowTitle(), QStringLiteral("Orvane"));
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, QStringLiteral("Title Image was saved as FRAME001"));
    EXPECT_NE(fs::last_write_time(Title() / "FRAME001.jpg"), before);
    EXPECT_EQ(BmpLayout(Title() / "FRAME001.TBM").width, 100);
    EXPECT_FALSE(fs::exists(Title() / "FRAME001.tbm"));
    EXPECT_FALSE(fs::exists(Title() / "FRAME002.jpg"));
}

TEST_F(TitleToolTest, Item5SaveAsNewAndNo)
{
    fs::create_directories(Title());
    Picture(Title() / "FRAME000.jpg", 640, 480, true);
    for (int button : {2, 3}) {
        openAnswers_ = {QString::fromStdString((Title() / "FRAME000.jpg").string())};
        messages_.clear();
        TfrmMain& frm = Make();
        AnswerOwmWith(frm, button);
        frm.LaunchItem(5);
        ASSERT_EQ(frm.runningItem(), 5);
        ASSERT_TRUE(WaitForStarts(1));
        ASSERT_TRUE(StopLastAndWaitForEnd());
        if (button == 2) {
            ASSERT_EQ(messages_.size(), 1u);
            EXPECT_EQ(messages_[0].text, QStringLiteral("Title Image was saved as FRAME001"));
            EXPECT_EQ(JpegSize(Title() / "FRAME001.jpg"), QSize(640, 480));
        } else {
            EXPECT_TRUE(messages_.empty());
            EXPECT_FALSE(fs::exists(Title() / "FRAME002.jpg"));
        }
        frm_.reset();
        fs::remove(log_);
    }
}

TEST_F(TitleToolTest, Item5CancelledOrUnloadableStartsNothing)
{
    TfrmMain& frm = Make();
    frm.LaunchItem(5);  // the dialog is cancelled
    EXPECT_EQ(openRequests_.size(), 1u);
    EXPECT_EQ(frm.runningItem(), 0);
    EXPECT_TRUE(messages_.empty());

    std::ofstream(dir_ / "FRAME009.jpg") << "not a picture";
    openAnswers_ = {QString::fromStdString((dir_ / "FRAME009.jpg").string())};
    frm.LaunchItem(5);
    EXPECT_EQ(frm.runningItem(), 0);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, QString::fromStdString((dir_ / "FRAME009.jpg").string()) +
                                     QStringLiteral("\nImage could not be loaded."));
    EXPECT_EQ(messages_[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(StartedPrograms().empty());
}

TEST_F(TitleToolTest, SaveTitleImageReportsAFolderThatCannotBeMadeAndAMissingBitmap)
{
    std::ofstream(dir_ / "plainfile") << "x";
    Ini("[Exefile]\nPathName1=" + (dir_ / "plainfile").string() + "\n");
    TfrmMain& frm = Make();
    frm.SaveTitleImage(true);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, QString::fromStdString((dir_ / "plainfile" / "TITLE").string()) +
                                     QStringLiteral("\nFolder could not be made."));

    Ini("");
    fs::remove(dir_ / "TitleBase.bmp");
    frm.SaveTitleImage(true);
    ASSERT_EQ(messages_.size(), 2u);
    EXPECT_EQ(messages_[1].text, QString::fromStdString((dir_ / "TitleBase.bmp").string()) +
                                     QStringLiteral("\nImage could not be loaded."));
    EXPECT_TRUE(fs::is_directory(Title()));  // the missing title folder was made
}

}  // namespace
