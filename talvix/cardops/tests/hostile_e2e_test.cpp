// A hostile card: entries whose names are "..", ".", hold "/", "\" or a NUL
// byte, or are longer than a FIND reply can carry, beside ordinary files and
// folders. Listing, copying the whole card and deleting must never touch
// anything outside the destination or send a path that names another entry.
#include "SimFixture.h"
#include "talvix/cardops/CardCopier.h"
#include "talvix/cardops/CardEditor.h"
#include "talvix/cardops/CardLister.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

using namespace talvix;
using namespace cardtest;
namespace fs = std::filesystem;

namespace {

std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// What a folder tree holds: path -> "d" for a folder, "f:" + contents for a file.
std::map<std::string, std::string> Tree(const std::string& root, const std::string& skip = {})
{
    std::map<std::string, std::string> out;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const std::string path = it->path().string();
        if (!skip.empty() && path == skip) {
            it.disable_recursion_pending();
            continue;
        }
        out[path.substr(root.size())] = it->is_directory() ? "d" : "f:" + ReadFile(path);
    }
    return out;
}

const std::string kX259(259, 'X');

class Hostile : public SimCardTest {
protected:
    // Host entries GOOD.TXT, PICS\P.JPG, SUB\IN.TXT; the rest comes raw.
    void StartHostileCard()
    {
        WriteFile(card / "GOOD.TXT", "good file");
        WriteFile(card / "PICS/P.JPG", "picture");
        WriteFile(card / "SUB/IN.TXT", "inner");
        struct Raw {
            std::string folder, name;
            int attributes;
            int size;
            int position;
        };
        const Raw raws[] = {
            // A folder whose name holds "\": its path reads as "\X\SUB", its
            // last component as SUB, and it is listed before the real SUB.
            {"\\", "X\\SUB", 0x10, 0, 1},
            {"\\X\\SUB", "EVIL.TXT", 0x20, 8, -1},
            {"\\", "..", 0x10, 0, -1},
            {"\\..", "ESC.TXT", 0x20, 8, -1},
            {"\\", ".", 0x10, 0, -1},
            {"\\", "A/B", 0x20, 10, -1},
            {"\\", "A\\B", 0x20, 10, -1},
            {"\\", "..\\..\\ESC.TXT", 0x20, 12, -1},
            {"\\", "../../ESC.TXT", 0x20, 12, -1},
            {"\\", std::string("\0/../ESC.TXT", 12), 0x20, 12, -1},  // read as ""
            {"\\", std::string("../\0ESC.TXT", 11), 0x20, 12, -1},   // read as "../"
            {"\\", std::string(300, 'X'), 0x20, 20, -1},             // read as 259 X
            {"\\SUB", "..", 0x20, 5, 0},
            {"\\SUB", "A/B", 0x10, 0, -1},
            {"\\SUB\\A/B", "EVIL.TXT", 0x20, 8, -1},
        };
        std::ofstream out(rawDir / "raw");
        for (const Raw& r : raws) {
            out << r.folder << '\t' << Hex(r.name) << '\t' << r.attributes << '\t' << r.size;
            if (r.position >= 0)
                out << '\t' << r.position;
            out << '\n';
        }
        out.close();
        StartSim(",raw=" + (rawDir / "raw"));
        lister.StartListing();
        ASSERT_EQ(session.CardStatus.load(), ST_OK);
        session.overwriteAsker = &asker;
        session.readOnlyAsker = &ro;
    }

    // Every entry of the root record, as a selection in list order.
    std::vector<const platform::FindData*> RootEntries()
    {
        std::vector<const platform::FindData*> out;
        for (const auto& e : session.folders.Slot(0)->entries)
            out.push_back(e.get());
        return out;
    }

    // The card paths of the requests of one command, in order.
    std::vector<std::string> Paths(int command, size_t skip) const
    {
        std::vector<std::string> out;
        for (const auto& frame : Requests(command))
            out.emplace_back(frame.begin() + 4 + static_cast<std::ptrdiff_t>(skip), frame.end() - 2);
        return out;
    }

    std::vector<std::string> RawEvents() const
    {
        std::vector<std::string> out;
        for (const auto& e : sim->ReadLog())
            if (e.event.rfind("raw entry met", 0) == 0)
                out.push_back(e.event);
        return out;
    }

    TempDir rawDir;
    CardLister lister{session};
    ScriptedAsker asker;
    ScriptedReadOnly ro;
};

}  // namespace

TEST_F(Hostile, ListingKeepsNoDotEntriesAndReadsNoFolderOfAnUnsafeName)
{
    StartHostileCard();
    std::set<std::string> names;
    for (const auto* e : RootEntries())
        names.insert(e->cFileName);
    EXPECT_EQ(names, (std::set<std::string>{"GOOD.TXT", "PICS", "SUB", "X\\SUB", "A/B", "A\\B", "..\\..\\ESC.TXT",
                                            "../../ESC.TXT", "", "../", kX259}));
    // Only the real folders have records; a folder of an unsafe name is never
    // searched, so its contents cannot stand in for another folder's.
    std::set<std::string> records;
    for (int i = 0; i < session.folders.CardFolderCount; ++i)
        records.insert(session.folders.Slot(i)->path);
    EXPECT_EQ(records, (std::set<std::string>{"M:", "M:\\PICS", "M:\\SUB"}));
    for (const std::string& pattern : Paths(CMD_FIND_FIRST, 1))
        EXPECT_TRUE(pattern == "M:\\*.*" || pattern == "M:\\PICS\\*.*" || pattern == "M:\\SUB\\*.*") << pattern;
    ASSERT_NE(session.folders.FindFolder("\\SUB"), nullptr);
    EXPECT_EQ(session.folders.FindFolder("\\SUB")->path, "M:\\SUB");
    // The device did send a find entry longer than the 278 bytes taken.
    bool longReply = false;
    for (const std::string& hex : sim->Frames("dev", "xfer"))
        longReply = longReply || (hex.size() > 11 && std::stoi(hex.substr(9, 2) + hex.substr(6, 2), nullptr, 16) == 318);
    EXPECT_TRUE(longReply);
}

TEST_F(Hostile, WholeCardCopyStaysInItsDestination)
{
    StartHostileCard();
    TempDir sandbox;
    const std::string dest = sandbox / "l1/l2/dest";
    fs::create_directories(dest);
    WriteFile(sandbox / "l1/l2/GOOD.TXT", "decoy");
    WriteFile(sandbox / "l1/ESC.TXT", "decoy");
    const auto before = Tree(sandbox.path(), dest);
    sim->ClearLog();

    CardCopier copier{session};
    copier.CopyDest = dest + "/";
    asker.answers = {OverwriteAsker::YesToAll};
    ASSERT_TRUE(copier.BuildCopyList(RootEntries(), ""));
    copier.StartCopy();
    EXPECT_EQ(session.CardStatus.load(), ST_OK);

    EXPECT_EQ(Tree(sandbox.path(), dest), before);
    EXPECT_EQ(Tree(dest), (std::map<std::string, std::string>{{"/GOOD.TXT", "f:good file"},
                                                              {"/PICS", "d"},
                                                              {"/PICS/P.JPG", "f:picture"},
                                                              {"/SUB", "d"},
                                                              {"/SUB/IN.TXT", "f:inner"}}));
    EXPECT_EQ(std::set<std::string>(copier.Skipped.begin(), copier.Skipped.end()),
              (std::set<std::string>{"\\X\\SUB", "\\A/B", "\\A\\B", "\\..\\..\\ESC.TXT", "\\../../ESC.TXT", "\\",
                                     "\\../", "\\" + kX259, "\\SUB\\A/B"}));
    EXPECT_EQ(copier.Skipped.size(), 9u);
    // Only the real files were opened.
    const auto opened = Paths(CMD_OPEN, 2);
    EXPECT_EQ(std::set<std::string>(opened.begin(), opened.end()),
              (std::set<std::string>{"M:\\GOOD.TXT", "M:\\PICS\\P.JPG", "M:\\SUB\\IN.TXT"}));
    EXPECT_EQ(opened.size(), 3u);
}

TEST_F(Hostile, DeleteSendsOnlyPathsOfRealEntries)
{
    StartHostileCard();
    sim->ClearLog();
    CardEditor editor{session};
    editor.ClearDelList();
    std::vector<CardEditor::ListSelection> selected;
    for (const auto* e : RootEntries())
        selected.push_back({nullptr, e});
    ASSERT_TRUE(editor.BuildDelListFromList(selected, ""));
    editor.DeleteAndWait();

    // Files last to first, then the folders: SUB still holds its raw entries,
    // so the device refuses it and the delete ends there.
    EXPECT_EQ(Paths(CMD_DELETE, 0),
              (std::vector<std::string>{"M:\\SUB\\IN.TXT", "M:\\PICS\\P.JPG", "M:\\GOOD.TXT", "M:\\SUB"}));
    EXPECT_EQ(session.CardStatus.load(), ComErr(CMD_DELETE));
    EXPECT_EQ(RawEvents(), (std::vector<std::string>{"raw entry met: DELETE 4D 3A 5C 53 55 42"}));
    EXPECT_FALSE(fs::exists(card / "GOOD.TXT"));
    EXPECT_FALSE(fs::exists(card / "SUB/IN.TXT"));
    EXPECT_TRUE(fs::exists(card / "SUB"));
    EXPECT_TRUE(fs::exists(card / "PICS"));
    EXPECT_EQ(std::set<std::string>(editor.Skipped.begin(), editor.Skipped.end()),
              (std::set<std::string>{"\\X\\SUB", "\\A/B", "\\A\\B", "\\..\\..\\ESC.TXT", "\\../../ESC.TXT", "\\",
                                     "\\../", "\\" + kX259, "\\SUB\\A/B"}));
}

// A NUL byte ends a name where the find entry is read, so the entry is known
// only by the front of its name. That front is sent back as asked; the card
// has no such entry, the copy fails, and still nothing lands outside.
TEST_F(Hostile, ANameCutAtItsNulIsNotFoundAndTheCopyFails)
{
    WriteFile(card / "GOOD.TXT", "good file");
    std::ofstream(rawDir / "raw") << "\\\t" << Hex(std::string("OK\0/../../ESC.TXT", 17)) << "\t32\t12\n";
    StartSim(",raw=" + (rawDir / "raw"));
    lister.StartListing();
    ASSERT_EQ(session.CardStatus.load(), ST_OK);
    ASSERT_NE(session.folders.Slot(0)->Entry("OK"), nullptr);
    TempDir sandbox;
    const std::string dest = sandbox / "l1/dest";
    fs::create_directories(dest);
    const auto before = Tree(sandbox.path(), dest);

    CardCopier copier{session};
    copier.CopyDest = dest + "/";
    ASSERT_TRUE(copier.BuildCopyList(RootEntries(), ""));
    copier.StartCopy();
    EXPECT_NE(session.CardStatus.load(), ST_OK);
    EXPECT_EQ(Tree(sandbox.path(), dest), before);
    EXPECT_EQ(Tree(dest), (std::map<std::string, std::string>{{"/GOOD.TXT", "f:good file"}}));
    EXPECT_TRUE(copier.Skipped.empty());
}
