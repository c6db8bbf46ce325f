// The main window against the device emulator: start-up reads the card, the
// list shows it, copy, sort, write by drop, rename, delete, new folder and
// the single-instance lock.
#include "platform/qt/QtPump.h"
#include "talvix/cardops/CardSession.h"
#include "talvix/cardops/OverwriteAsker.h"
#include "talvix/ui/CaptionForm.h"
#include "talvix/ui/main/HelpWindow.h"
#include "talvix/ui/main/TfrmAbout.h"
#include "talvix/ui/main/TfrmMain.h"
#include "tools/selksim/testing/SelkSimProcess.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QStandardItemModel>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QTest>
#include <QUrl>
#include <QListView>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using talvix::ui::TfrmMain;

namespace {

class TempDir {
public:
    TempDir()
    {
        std::string tmpl = (fs::temp_directory_path() / "mainwinXXXXXX").string();
        path_ = mkdtemp(tmpl.data());
    }
    ~TempDir()
    {
        std::error_code ec;
        for (auto& e : fs::recursive_directory_iterator(path_, ec))
            fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& rel) const { return path_ + "/" + rel; }

private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs events until `done` holds; false when it still does not after `ms`.
bool WaitFor(const std::function<bool()>& done, int ms = 20000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        usleep(5000);
    }
    return true;
}

// Answers the overwrite questions from a script and keeps what was asked.
class ScriptedOverwrite : public talvix::OverwriteAsker {
public:
    std::vector<Answer> answers;
    std::vector<std::string> asked;
    Answer AskOverwrite(const talvix::OverwriteQuestion& q) override
    {
        asked.push_back(q.existingName);
        const Answer a = answers.empty() ? Cancel : answers.front();
        if (!answers.empty())
            answers.erase(answers.begin());
        return a;
    }
};

struct Message {
    QMessageBox::Icon icon;
    QString text;
};

class MainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "mainwindow_test";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr)
            new QApplication(argc, argv);
        static platform::QtPump pump;
    }

    void SetUp() override
    {
        for (const char* f : {"tv10.cpt", "tv10.sty", "tv10e.hlp", "tv10j.hlp"})
            fs::copy_file(std::string(SUITE_BIN_DIR) + "/" + f, program / f);
        WriteFile(card / "HELLO.TXT", "hello card");
        WriteFile(card / "BIG.JPG", std::string(2000, 'j'));
        WriteFile(card / "DCIM/A.TXT", "aaa");
        WriteFile(card / "DCIM/SUB/B.TXT", "bbbb");
        setenv("LANG", "C", 1);
        unsetenv("LC_ALL");
        unsetenv("LC_MESSAGES");
    }

    void TearDown() override
    {
        if (win) {
            win->close();
            win.reset();
        }
        unsetenv("MARLO_REGISTRY");
    }

    void StartSim(const std::string& moreDeviceOptions = "")
    {
        sim = std::make_unique<selksim::SelkSimProcess>(
            std::vector<std::string>{"--device", "id=1,card=" + card.path() + moreDeviceOptions});
        ASSERT_TRUE(sim->Start()) << sim->startError();
        const std::string reg = registry / "machine.reg";
        WriteFile(reg, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Marlo\\SELK\\Ports]\n\"COM1\"=\"" + sim->linkPath() +
                           "\"\n\n[HKEY_LOCAL_MACHINE\\Software\\Marlo\\SELK\\INIT]\n\"COM\"=dword:00000001\n"
                           "\"CurID\"=dword:00000001\n\"DEVICES\"=dword:00000001\n\"ID0\"=dword:00000001\n"
                           "\"BAUDRATE\"=dword:0001c200\n");
        setenv("MARLO_REGISTRY", reg.c_str(), 1);
    }

    // Starts the window with these settings lines and waits for the first read.
    void Open(const std::string& ini = "")
    {
        WriteFile(program / "tv10.ini", "[INIT]\n" + ini);
        win = std::make_unique<TfrmMain>(talvix::ui::MainOptions{program.path(), program.path(), ""});
        win->messageBox = [this](QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons) {
            messages.push_back({icon, text});
            const QMessageBox::StandardButton answer = answers.empty() ? QMessageBox::Ok : answers.front();
            if (!answers.empty())
                answers.erase(answers.begin());
            return answer;
        };
        win->pickFolder = [this](const QString&, const QString&) { return QString::fromStdString(pc.path()); };
        win->openFolder = [this](const QString& folder) { opened.push_back(folder); };
        win->deviceDialog = [this] { ++deviceDialogs; };
        ASSERT_TRUE(win->Create());
        win->show();
        ASSERT_TRUE(WaitFor([this] { return win->isEnabled() && win->rootNode() != nullptr; }))
            << (messages.empty() ? std::string("no message") : messages.back().text.toStdString());
    }

    QTreeWidgetItem* Child(QTreeWidgetItem* node, const QString& text)
    {
        for (int i = 0; i < node->childCount(); ++i)
            if (node->child(i)->text(0) == text)
                return node->child(i);
        return nullptr;
    }

    QStringList Names()
    {
        QStringList out;
        for (int r = 0; r < win->listModel()->rowCount(); ++r)
            out << win->listModel()->item(r, 0)->text();
        return out;
    }

    int RowNamed(const QString& name)
    {
        for (int r = 0; r < win->listModel()->rowCount(); ++r)
            if (win->listModel()->item(r, 0)->text() == name)
                return r;
        return -1;
    }

    void Select(const QStringList& names)
    {
        auto* sel = win->detailsView()->selectionModel();
        sel->clearSelection();
        for (const QString& n : names) {
            const int r = RowNamed(n);
            ASSERT_GE(r, 0) << n.toStdString();
            sel->select(win->listModel()->index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

    // Types into the open in-place editor of the list (nothing typed: keep
    // the text) and ends the edit with Enter.
    void TypeIntoEditor(const QString& text)
    {
        QWidget* view = win->viewStyle() == 3 ? static_cast<QWidget*>(win->detailsView())
                                              : static_cast<QWidget*>(win->iconView());
        // Editors of finished edits are hidden until they are deleted.
        QLineEdit* editor = nullptr;
        for (QLineEdit* e : view->findChildren<QLineEdit*>())
            if (e->isVisible())
                editor = e;
        ASSERT_NE(editor, nullptr);
        if (!text.isEmpty())
            editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);
    }

    TempDir program, card, pc, registry, drop;
    std::unique_ptr<selksim::SelkSimProcess> sim;
    std::unique_ptr<TfrmMain> win;
    std::vector<Message> messages;
    std::vector<QMessageBox::StandardButton> answers;
    std::vector<QString> opened;
    int deviceDialogs = 0;
};

TEST_F(MainWindowTest, StartUpReadsTheCardIntoTreeAndList)
{
    StartSim();
    Open();
    QTreeWidgetItem* root = win->rootNode();
    EXPECT_EQ(win->tree()->currentItem(), root);
    QTreeWidgetItem* dcim = Child(root, "DCIM");
    ASSERT_NE(dcim, nullptr);
    ASSERT_NE(Child(dcim, "SUB"), nullptr);
    EXPECT_EQ(Names(), (QStringList{"DCIM", "BIG.JPG", "HELLO.TXT"}));  // folders first, then by name
    const int big = RowNamed("BIG.JPG");
    EXPECT_EQ(win->listModel()->item(big, 1)->text(), "2KB");
    EXPECT_EQ(win->listModel()->item(RowNamed("HELLO.TXT"), 1)->text(), "10B");
    EXPECT_EQ(win->listModel()->item(RowNamed("DCIM"), 1)->text(), "");
    EXPECT_FALSE(win->listModel()->item(big, 3)->text().isEmpty());
    EXPECT_FALSE(win->listModel()->item(big, 2)->text().isEmpty());
    EXPECT_EQ(win->statusPanel(0)->text(), "3 object(s)");
    EXPECT_EQ(deviceDialogs, 0);
    EXPECT_EQ(win->statusPanel(1)->text(), "1.98KB");  // 2010 bytes: 1 + 986 / 10
    EXPECT_TRUE(win->windowTitle().startsWith("Talvix"));

    // Selecting switches the status to the selection; a folder below the root allows copying.
    Select({"HELLO.TXT"});
    win->UpdateStatus();
    EXPECT_EQ(win->statusPanel(0)->text(), "1 object(s) selected");
    EXPECT_EQ(win->statusPanel(1)->text(), "10B");
    EXPECT_FALSE(win->findChild<QAction*>("mnuCopyExec")->isEnabled());
    win->tree()->setCurrentItem(dcim);
    EXPECT_TRUE(win->findChild<QAction*>("mnuCopyExec")->isEnabled());
    EXPECT_EQ(Names(), (QStringList{"SUB", "A.TXT"}));
    EXPECT_TRUE(win->windowTitle().endsWith("  [ \\DCIM ]"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainWindowTest, NoDeviceShowsTheMessageAndLeavesTheTreeEmpty)
{
    StartSim();
    sim->Stop();  // the line is gone
    WriteFile(program / "tv10.ini", "[INIT]\n");
    win = std::make_unique<TfrmMain>(talvix::ui::MainOptions{program.path(), program.path(), ""});
    win->messageBox = [this](QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons) {
        messages.push_back({icon, text});
        return QMessageBox::Ok;
    };
    win->deviceDialog = [this] { ++deviceDialogs; };
    ASSERT_TRUE(win->Create());
    win->show();
    ASSERT_TRUE(WaitFor([this] { return !messages.empty(); }));
    EXPECT_TRUE(messages[0].text.startsWith("No SELK device is ready.\n"));
    EXPECT_EQ(deviceDialogs, 1);  // offered before the message
    EXPECT_EQ(win->rootNode(), nullptr);
    EXPECT_TRUE(win->isEnabled());
}

TEST_F(MainWindowTest, CopiesAFolderToThePcAndOpensIt)
{
    StartSim();
    Open();
    win->tree()->setCurrentItem(Child(win->rootNode(), "DCIM"));
    win->detailsView()->selectionModel()->clearSelection();
    win->CopyToPc();
    ASSERT_TRUE(messages.empty()) << messages.front().text.toStdString();
    EXPECT_EQ(ReadFile(pc / "DCIM/A.TXT"), "aaa");
    EXPECT_EQ(ReadFile(pc / "DCIM/SUB/B.TXT"), "bbbb");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toStdString(), pc.path());
    EXPECT_EQ(win->saveFolder(), pc.path());

    // A second copy of one file asks before it overwrites; No keeps the PC file.
    WriteFile(pc / "A.TXT", "old");
    Select({"A.TXT"});
    ScriptedOverwrite overwrite;
    overwrite.answers = {talvix::OverwriteAsker::No};
    win->session().overwriteAsker = &overwrite;
    win->CopyToPc();
    ASSERT_EQ(overwrite.asked.size(), 1u);
    EXPECT_EQ(overwrite.asked[0], pc / "A.TXT");
    EXPECT_EQ(ReadFile(pc / "A.TXT"), "old");
    overwrite.answers = {talvix::OverwriteAsker::Yes};
    win->CopyToPc();
    EXPECT_EQ(ReadFile(pc / "A.TXT"), "aaa");
    EXPECT_TRUE(messages.empty());

    // The copy folder is saved at close.
    win->close();
    std::string ini = ReadFile(program / "tv10.ini");
    EXPECT_NE(ini.find("SAVEFOLDER=" + pc.path()), std::string::npos) << ini;
}

TEST_F(MainWindowTest, SortsByColumnAndMenu)
{
    WriteFile(card / "C.TXT", std::string(50, 'c'));
    WriteFile(card / "MORE/X.TXT", "x");
    StartSim();
    Open();
    EXPECT_EQ(Names(), (QStringList{"DCIM", "MORE", "BIG.JPG", "C.TXT", "HELLO.TXT"}));
    win->ColumnClicked(0);  // same column: descending, folders still first
    EXPECT_EQ(win->sortState(), 128);
    EXPECT_EQ(Names(), (QStringList{"MORE", "DCIM", "HELLO.TXT", "C.TXT", "BIG.JPG"}));
    win->SortBy(1);  // the menu keeps the direction
    EXPECT_EQ(win->sortState(), 129);
    QStringList names = Names();
    EXPECT_EQ(names.mid(2), (QStringList{"BIG.JPG", "C.TXT", "HELLO.TXT"}));  // folders (size 0) stay in front
    win->ColumnClicked(1);
    EXPECT_EQ(win->sortState(), 1);
    names = Names();
    EXPECT_EQ(names.mid(2), (QStringList{"HELLO.TXT", "C.TXT", "BIG.JPG"}));
    win->ColumnClicked(0);
    EXPECT_EQ(win->sortState(), 0);
}

TEST_F(MainWindowTest, ViewStylesCycleAndAreSaved)
{
    StartSim();
    Open("ICON=7\n");
    EXPECT_EQ(win->viewStyle(), 7);
    EXPECT_TRUE(win->findChild<QAction*>("mnuLIcon")->isChecked());
    win->findChild<QToolButton*>("tbView")->click();
    EXPECT_EQ(win->viewStyle(), 8);  // one step past the stored value, still large icons
    EXPECT_TRUE(win->findChild<QAction*>("mnuLIcon")->isChecked());
    win->SetViewStyle(3);
    EXPECT_TRUE(win->findChild<QAction*>("mnuDetail")->isChecked());
    EXPECT_TRUE(win->findChild<QAction*>("pmDetail")->isChecked());
    EXPECT_TRUE(win->findChild<QAction*>("mnuVwDetail")->isChecked());
    win->findChild<QToolButton*>("tbView")->click();
    EXPECT_EQ(win->viewStyle(), 0);
    win->SetViewStyle(2);
    win->close();
    EXPECT_NE(ReadFile(program / "tv10.ini").find("ICON=2"), std::string::npos);
}

TEST_F(MainWindowTest, DropWritesFilesIntoTheFolderUnderThePointer)
{
    StartSim();
    Open("WRITE=1\n");
    WriteFile(drop / "My Photo.jpeg", std::string(300, 'p'));
    WriteFile(drop / "NOTE.TXT", "note");
    win->SetViewStyle(3);
    QTreeView* view = win->detailsView();
    view->resize(400, 300);
    QCoreApplication::processEvents();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(drop / "My Photo.jpeg")),
                  QUrl::fromLocalFile(QString::fromStdString(drop / "NOTE.TXT"))});

    // Onto the folder item DCIM: into that folder; the list keeps showing the root.
    const QRect dcimRect = view->visualRect(win->listModel()->index(RowNamed("DCIM"), 0));
    ASSERT_TRUE(win->DropAt(view->viewport(), dcimRect.center(), &data));
    ASSERT_TRUE(WaitFor([this] { return fs::exists(card / "DCIM/NOTE.TXT"); }));
    ASSERT_TRUE(WaitFor([this] { return win->isEnabled(); }));
    EXPECT_EQ(ReadFile(card / "DCIM/NOTE.TXT"), "note");
    EXPECT_EQ(ReadFile(card / "DCIM/MYPHOT~1.JPG"), std::string(300, 'p'));
    EXPECT_EQ(RowNamed("NOTE.TXT"), -1);

    // Onto free space: into the folder the list shows, which then shows the files.
    ASSERT_TRUE(win->DropAt(view->viewport(), QPoint(5, view->viewport()->height() - 3), &data));
    ASSERT_TRUE(WaitFor([this] { return RowNamed("NOTE.TXT") >= 0; }));
    EXPECT_GE(RowNamed("MYPHOT~1.JPG"), 0);
    EXPECT_EQ(ReadFile(card / "NOTE.TXT"), "note");
    EXPECT_TRUE(messages.empty()) << messages.front().text.toStdString();
}

TEST_F(MainWindowTest, DropIsRefusedWithoutWriteMode)
{
    StartSim();
    Open();
    WriteFile(drop / "NOTE.TXT", "note");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(drop / "NOTE.TXT"))});
    EXPECT_FALSE(win->DropAt(win->detailsView()->viewport(), QPoint(2, 2), &data));
    QCoreApplication::processEvents();
    EXPECT_FALSE(fs::exists(card / "NOTE.TXT"));
}

TEST_F(MainWindowTest, RenameChecksNamesAndRenamesOnTheCard)
{
    StartSim();
    Open("WRITE=1\n");
    // Refused names keep the old one.
    struct Case {
        const char* typed;
        const char* message;
    } refused[] = {
        {"ABCDEFGHI", "A card name has up to 8"}, {"A.B.C", "A card name has up to 8"},
        {"A-B", "A card name has up to 8"},      {"ABCDEFGHIJKLM", "A card name must be 1 to 12"},
        {"", "A card name must be 1 to 12"},     {"big.jpg", "An item with this name already exists"},
        {"hello.txt", "An item with this name already exists"},
    };
    for (const Case& c : refused) {
        messages.clear();
        win->ListEdited(win->listModel()->item(RowNamed("HELLO.TXT"), 0), QString::fromLatin1(c.typed));
        ASSERT_EQ(messages.size(), 1u) << c.typed;
        EXPECT_TRUE(messages[0].text.startsWith(c.message)) << c.typed << ": " << messages[0].text.toStdString();
        EXPECT_GE(RowNamed("HELLO.TXT"), 0) << c.typed;
        EXPECT_TRUE(fs::exists(card / "HELLO.TXT"));
    }
    messages.clear();
    win->ListEdited(win->listModel()->item(RowNamed("HELLO.TXT"), 0), "abc.txt");
    EXPECT_TRUE(messages.empty());
    EXPECT_GE(RowNamed("ABC.TXT"), 0);
    EXPECT_EQ(ReadFile(card / "ABC.TXT"), "hello card");
    EXPECT_FALSE(fs::exists(card / "HELLO.TXT"));

    // A folder renamed in the list renames its tree node and the paths below it.
    win->ListEdited(win->listModel()->item(RowNamed("DCIM"), 0), "photos");
    QTreeWidgetItem* photos = Child(win->rootNode(), "PHOTOS");
    ASSERT_NE(photos, nullptr);
    EXPECT_TRUE(fs::exists(card / "PHOTOS/SUB/B.TXT"));
    win->tree()->setCurrentItem(Child(photos, "SUB"));
    EXPECT_EQ(Names(), QStringList{"B.TXT"});

    // In the tree.
    win->TreeEdited(Child(photos, "SUB"), "inner");
    EXPECT_NE(Child(photos, "INNER"), nullptr);
    EXPECT_TRUE(fs::exists(card / "PHOTOS/INNER/B.TXT"));
    win->tree()->setCurrentItem(win->rootNode());
    win->tree()->setCurrentItem(Child(Child(win->rootNode(), "PHOTOS"), "INNER"));
    EXPECT_EQ(Names(), QStringList{"B.TXT"});
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainWindowTest, AnEntryWhoseNameHoldsABackslashIsNeverRenamed)
{
    // A damaged card lists "DCIM\A.TXT" in its root beside the real folder DCIM
    // holding A.TXT; renaming that entry would move the real file instead.
    WriteFile(registry / "raw.txt", "\\\t4443494D5C412E545854\t0x20\t5\n");
    StartSim(",raw=" + (registry / "raw.txt"));
    Open("WRITE=1\n");
    const int row = RowNamed("DCIM\\A.TXT");
    ASSERT_GE(row, 0);
    messages.clear();
    win->ListEdited(win->listModel()->item(row, 0), "moved.txt");
    EXPECT_GE(RowNamed("DCIM\\A.TXT"), 0);
    EXPECT_LT(RowNamed("MOVED.TXT"), 0);
    EXPECT_EQ(ReadFile(card / "DCIM/A.TXT"), "aaa");
    EXPECT_FALSE(fs::exists(card / "MOVED.TXT"));
}

TEST_F(MainWindowTest, DeleteAndNewFolder)
{
    StartSim();
    Open("WRITE=1\n");
    // New folder under the name typed.
    win->NewFolder();
    ASSERT_GE(RowNamed("FOLDER"), 0);
    TypeIntoEditor("new1");
    ASSERT_TRUE(WaitFor([this] { return fs::is_directory(card / "NEW1"); }));
    EXPECT_NE(Child(win->rootNode(), "NEW1"), nullptr);
    EXPECT_GE(RowNamed("NEW1"), 0);

    // A refused name removes the new item after a moment; nothing is made.
    win->NewFolder();
    TypeIntoEditor("a b");
    ASSERT_TRUE(WaitFor([this] { return !messages.empty(); }));
    ASSERT_EQ(messages.size(), 1u);
    ASSERT_TRUE(WaitFor([this] { return RowNamed("A B") < 0 && RowNamed("FOLDER") < 0; }, 3000)) << Names().join(",").toStdString();
    EXPECT_EQ(messages.size(), 1u);
    messages.clear();

    // A new folder whose name is left as it is gets that name.
    win->NewFolder();
    TypeIntoEditor("");
    ASSERT_TRUE(WaitFor([this] { return fs::is_directory(card / "FOLDER"); }));
    EXPECT_NE(Child(win->rootNode(), "FOLDER"), nullptr);
    EXPECT_TRUE(messages.empty());

    // Delete two files from the list: the question names the count.
    Select({"HELLO.TXT", "BIG.JPG"});
    answers = {QMessageBox::Yes};
    win->DeleteFromList();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.contains("2")) << messages[0].text.toStdString();
    ASSERT_TRUE(WaitFor([this] { return RowNamed("HELLO.TXT") < 0 && RowNamed("BIG.JPG") < 0; }));
    ASSERT_TRUE(WaitFor([this] { return !win->session().thread.Running(); }));
    EXPECT_FALSE(fs::exists(card / "HELLO.TXT"));
    EXPECT_FALSE(fs::exists(card / "BIG.JPG"));

    // Delete a folder from the tree with everything in it; No first keeps it.
    messages.clear();
    win->tree()->setCurrentItem(Child(win->rootNode(), "DCIM"));
    answers = {QMessageBox::No};
    win->DeleteFromTree();
    EXPECT_TRUE(fs::exists(card / "DCIM"));
    answers = {QMessageBox::Yes};
    win->DeleteFromTree();
    ASSERT_TRUE(WaitFor([this] { return !win->session().thread.Running(); }));
    ASSERT_TRUE(WaitFor([this] { return Child(win->rootNode(), "DCIM") == nullptr; }));
    EXPECT_FALSE(fs::exists(card / "DCIM"));
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_TRUE(messages[1].text.startsWith("Delete 'DCIM'"));
}

TEST_F(MainWindowTest, ErrorMessages)
{
    StartSim();
    Open();
    struct Case {
        uint32_t code;
        const char* start;
        QMessageBox::Icon icon;
    } cases[] = {
        {0x1301, "Communication with the device failed.", QMessageBox::Warning},
        {0x103, "There is not enough free space", QMessageBox::Warning},
        {8, "ERROR", QMessageBox::Critical},
        {255, "The operation was stopped.", QMessageBox::Information},
        {6, "There is no memory card", QMessageBox::Critical},
    };
    for (const Case& c : cases) {
        messages.clear();
        win->ShowError(c.code, QString());
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].text.startsWith(c.start)) << messages[0].text.toStdString();
        EXPECT_EQ(messages[0].icon, c.icon) << c.code;
    }
    messages.clear();
    win->ShowError(0x1301, QString());
    EXPECT_TRUE(messages[0].text.endsWith(" [13]"));
}

TEST_F(MainWindowTest, DebugModeSkipsTheReadAndLoadsTheDummyCard)
{
    WriteFile(program / "MMC/DUMMY.TXT", "dummy");
    WriteFile(program / "tv10.ini", "[INIT]\nDEBUG=1\n");
    win = std::make_unique<TfrmMain>(talvix::ui::MainOptions{program.path(), program.path(), ""});
    win->messageBox = [this](QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons) {
        messages.push_back({icon, text});
        return QMessageBox::Ok;
    };
    win->deviceDialog = [this] { ++deviceDialogs; };
    ASSERT_TRUE(win->Create());
    win->show();
    ASSERT_TRUE(WaitFor([this] { return win->isEnabled(); }));
    EXPECT_EQ(win->rootNode(), nullptr);
    EXPECT_TRUE(win->findChild<QMenu*>("mnuDebug")->menuAction()->isVisible());
    win->findChild<QAction*>("mnuSELKMon")->trigger();
    QWidget* monitor = win->findChild<QWidget*>("frmMonitor");
    ASSERT_NE(monitor, nullptr);
    EXPECT_TRUE(monitor->isVisible());
    monitor->close();
    win->LoadDummyFiles();
    ASSERT_NE(win->rootNode(), nullptr);
    EXPECT_EQ(win->rootNode()->text(0), "CARD");
    EXPECT_EQ(Names(), QStringList{"DUMMY.TXT"});
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainWindowTest, SecondInstanceIsRefusedByTheLock)
{
    WriteFile(program / "tv10.ini", "[INIT]\nDEBUG=1\n");
    TfrmMain first(talvix::ui::MainOptions{program.path(), program.path(), ""});
    ASSERT_TRUE(first.Create());
    TfrmMain second(talvix::ui::MainOptions{program.path(), program.path(), ""});
    EXPECT_FALSE(second.Create());
    EXPECT_TRUE(fs::exists(program / "tv10.key"));
}

TEST_F(MainWindowTest, TheProgramEndsQuietlyWhenAnotherCopyRuns)
{
    // The program keeps its files beside itself when its folder is writable.
    const std::string bin = SUITE_BIN_DIR;
    if (access(bin.c_str(), W_OK) != 0)
        GTEST_SKIP() << "program folder not writable";
    TfrmMain holder(talvix::ui::MainOptions{bin, bin, ""});
    ASSERT_TRUE(holder.Create());
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl((bin + "/talvix").c_str(), "talvix", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = -1;
    ASSERT_TRUE(WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 20000)) << "second copy kept running";
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(MainWindowTest, AboutBoxAndHelp)
{
    talvix::MLang lang;
    lang.SetLanguage(talvix::MLang::kEnglish);
    lang.LoadCaptionTable(program / "tv10.cpt");
    talvix::ui::TfrmAbout about(lang, QIcon());
    EXPECT_EQ(about.windowTitle(), "About Talvix");
    EXPECT_EQ(about.findChild<QLabel*>("lblVernum")->text(), "1.0.0.0");
    about.show();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 3), QPointF(3, 3), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(about.findChild<QLabel*>("lblName"), &press);
    EXPECT_FALSE(about.isVisible());

    talvix::ui::HelpWindow help;
    ASSERT_TRUE(help.LoadFile(program / "tv10e.hlp"));
    ASSERT_GT(help.index()->count(), 0);
    const QString first = help.index()->item(0)->text();
    help.ShowKeyword(first.left(2));
    EXPECT_GT(help.index()->count(), 0);
    EXPECT_FALSE(help.browser()->toPlainText().isEmpty());
    help.ShowKeyword("zzzz-no-such-keyword");
    EXPECT_EQ(help.index()->count(), 0);
}

}  // namespace

namespace {

// Every component the form list names for the main window and the About box
// exists under its name, with the class the caption table knows it by.
TEST_F(MainWindowTest, FormsHoldTheListedComponents)
{
    WriteFile(program / "tv10.ini", "[INIT]\nDEBUG=1\n");
    TfrmMain form(talvix::ui::MainOptions{program.path(), program.path(), ""});
    ASSERT_TRUE(form.Create());
    talvix::MLang lang;
    talvix::ui::TfrmAbout about(lang, QIcon());
    std::ifstream list(std::string(SUITE_SOURCE_DIR) + "/talvix/data/forms.txt");
    ASSERT_TRUE(list.good());
    std::string line;
    int checked = 0;
    while (std::getline(list, line)) {
        std::istringstream fields(line);
        std::string formName, name, className;
        if (!(fields >> formName >> name >> className) || formName[0] == '#')
            continue;
        QObject* owner = formName == "frmMain" ? static_cast<QObject*>(&form)
                         : formName == "frmAbout" ? static_cast<QObject*>(&about) : nullptr;
        if (owner == nullptr)
            continue;
        QObject* object = owner->findChild<QObject*>(QString::fromStdString(name));
        ASSERT_NE(object, nullptr) << formName << "." << name;
        EXPECT_EQ(talvix::ui::TableClassName(object), className) << formName << "." << name;
        ++checked;
    }
    EXPECT_GT(checked, 70);
}

}  // namespace
