#include "talvix/cardops/CardEditor.h"

#include "platform/FileTime.h"
#include "talvix/cardops/CardPath.h"
#include "talvix/cardops/ReadOnlyAsker.h"
#include "talvix/filexfer/FileOpe.h"

#include <algorithm>

namespace talvix {

using platform::FindData;

CardEditor::CardEditor(CardSession& session) : s_(session) {}

void CardEditor::ClearDelList()
{
    DelList.clear();
    Skipped.clear();
    tooMany_ = false;
}

bool CardEditor::Add(tagDEL_LIST entry)
{
    if (DelList.size() >= kMaxEntries) {
        tooMany_ = true;
        return false;
    }
    DelList.push_back(std::move(entry));
    return true;
}

bool CardEditor::Fail()
{
    if (tooMany_)
        s_.CardStatus = ST_TOOMANY;
    DelList.clear();
    return false;
}

namespace {

bool ReadOnly(const FindData& e)
{
    return (e.dwFileAttributes & platform::FILE_ATTRIBUTE_READONLY) != 0;
}

}  // namespace

bool CardEditor::BuildDelListFromList(const std::vector<ListSelection>& selected, const std::string& treeFolder)
{
    CardFolder* record = s_.folders.FindFolder(treeFolder);
    for (const ListSelection& sel : selected) {
        if (sel.entry == nullptr)
            continue;
        const FindData& e = *sel.entry;
        if (cardpath::IsUnsafeName(e.cFileName)) {
            Skipped.push_back(treeFolder + "\\" + e.cFileName);
            continue;
        }
        if (ReadOnly(e)) {
            const ReadOnlyAsker::Answer a =
                s_.readOnlyAsker ? s_.readOnlyAsker->AskReadOnlyDelete(e.cFileName, true) : ReadOnlyAsker::No;
            if (a == ReadOnlyAsker::Cancel)
                return Fail();
            if (a == ReadOnlyAsker::No)
                continue;
        }
        const std::string path = treeFolder + "\\" + e.cFileName;
        if (e.IsDirectory()) {
            CardFolder* child = s_.folders.FindFolder(path);
            if (!BuildDelListFromTree(path, child ? child->node : nullptr, sel.item))
                return false;
            continue;
        }
        tagDEL_LIST d;
        d.path = path;
        d.item = sel.item;
        d.folder = record;
        d.index = CardFolders::IndexInFolder(record, path);
        d.isFile = 1;
        if (!Add(std::move(d)))
            return Fail();
    }
    return true;
}

bool CardEditor::BuildDelListFromTree(const std::string& folder, TreeNode node, ListItem item)
{
    CardFolder* parent = s_.folders.FindFolder(cardpath::Parent(folder));
    CardFolder* record = s_.folders.FindFolder(folder);
    tagDEL_LIST self;
    self.path = folder;
    self.node = node;
    self.item = item;
    self.folder = parent;
    self.index = CardFolders::IndexInFolder(parent, folder);
    self.isFile = 0;
    if (!Add(std::move(self)))
        return Fail();
    if (record == nullptr)
        return true;

    for (size_t i = 0; i < record->entries.size(); ++i) {
        const FindData& e = *record->entries[i];
        if (cardpath::IsUnsafeName(e.cFileName)) {
            // A subfolder of such a name is left out with everything in it.
            Skipped.push_back(folder + "\\" + e.cFileName);
            continue;
        }
        if (ReadOnly(e)) {
            const ReadOnlyAsker::Answer a =
                s_.readOnlyAsker ? s_.readOnlyAsker->AskReadOnlyDelete(e.cFileName, false) : ReadOnlyAsker::Cancel;
            if (a == ReadOnlyAsker::Cancel)
                return Fail();
        }
        if (e.IsDirectory())
            continue;
        tagDEL_LIST d;
        d.path = folder + "\\" + e.cFileName;
        d.folder = record;
        d.index = static_cast<int>(i);
        d.isFile = 1;
        if (!Add(std::move(d)))
            return Fail();
    }
    for (const CardFolders::Child& child : s_.folders.Children(*record))
        if (!cardpath::IsUnsafeName(child.name) &&
            !BuildDelListFromTree(child.relative, child.record ? child.record->node : nullptr, nullptr))
            return false;
    return true;
}

void CardEditor::Forget(const tagDEL_LIST& entry)
{
    CardFolders::RemoveEntry(entry.folder, cardpath::LastComponent(entry.path));
    if (!entry.isFile)
        s_.folders.RemoveFolder(s_.folders.FindFolder(entry.path));
}

void CardEditor::StartDelete()
{
    if (!s_.thread.Start([this] { Delete_Th(); }))
        s_.CardStatus = ST_NOTHREAD;
}

void CardEditor::DeleteAndWait()
{
    StartDelete();
    s_.thread.WaitDone();
}

void CardEditor::StartMakeDir(const std::string& relative, const uint16_t times[6])
{
    MakeDirPath = cardpath::Full(relative);
    std::copy(times, times + 6, MakeDirTimes);
    if (!s_.thread.Start([this] { MakeDir_Th(); })) {
        s_.CardStatus = ST_NOTHREAD;
        return;
    }
    s_.thread.WaitDone();
}

void CardEditor::StartRename(const std::string& fromRelative, const std::string& toRelative)
{
    RenameFrom = cardpath::Full(fromRelative);
    RenameTo = cardpath::Full(toRelative);
    if (!s_.thread.Start([this] { Rename_Th(); })) {
        s_.CardStatus = ST_NOTHREAD;
        return;
    }
    s_.thread.WaitDone();
}

void CardEditor::Delete_Th()
{
    s_.CardStatus = ST_OK;
    bool open = s_.dummyMode || s_.OpenTransfer(s_.flags.waitAbort);
    if (open && s_.flags.waitAbort) {
        s_.CardStatus = ST_ABORT;
        open = false;
    }
    // Every file from the last to the first, then every folder from the last
    // to the first: the list is in pre-order, so each folder is empty by then.
    for (int pass = 0; open && pass < 2; ++pass) {
        const bool files = pass == 0;
        for (auto it = DelList.rbegin(); it != DelList.rend(); ++it) {
            if ((it->isFile != 0) != files)
                continue;
            if (!s_.dummyMode && !s_.ope->Delete(cardpath::Full(it->path))) {
                s_.CardStatus = ComErr(CMD_DELETE);
                open = false;
                break;
            }
            const tagDEL_LIST& done = *it;
            auto change = [this, &done, files] {
                if (s_.viewSink != nullptr) {
                    if (done.item != nullptr)
                        s_.viewSink->RemoveListItem(done.item);
                    if (!files && done.node != nullptr)
                        s_.viewSink->RemoveTreeNode(done.node);
                }
                Forget(done);
            };
            if (s_.viewSink != nullptr)
                s_.viewSink->Apply(change);
            else
                change();
        }
    }
    if (!s_.dummyMode)
        s_.LeaveTransfer();
}

void CardEditor::MakeDir_Th()
{
    s_.CardStatus = ST_OK;
    if (s_.dummyMode || s_.OpenTransfer(s_.flags.waitAbort)) {
        if (s_.flags.waitAbort) {
            s_.CardStatus = ST_ABORT;
        } else if (!s_.dummyMode) {
            const uint16_t* t = MakeDirTimes;
            if (!s_.ope->MakeDir(MakeDirPath))
                s_.CardStatus = ComErr(CMD_MAKE_DIR);
            else if (!s_.ope->SetDateTime(MakeDirPath, {t[0], t[1]}, {t[2], t[3]}, {t[4], t[5]}))
                s_.CardStatus = ComErr(CMD_SET_DATE_TIME);
        }
    }
    if (!s_.dummyMode)
        s_.LeaveTransfer();
}

void CardEditor::Rename_Th()
{
    s_.CardStatus = ST_OK;
    if (s_.dummyMode || s_.OpenTransfer(s_.flags.waitAbort)) {
        if (s_.flags.waitAbort)
            s_.CardStatus = ST_ABORT;
        else if (!s_.dummyMode && !s_.ope->Rename(RenameFrom, RenameTo))
            s_.CardStatus = ComErr(CMD_RENAME);
    }
    if (!s_.dummyMode)
        s_.LeaveTransfer();
}

void CardEditor::NowTimes(uint16_t times[6])
{
    platform::FileTime local;
    uint16_t date = (1 << 5) | 1, time = 0;
    if (platform::FileTimeToLocalFileTime(platform::GetSystemTimeAsFileTime(), local))
        platform::FileTimeToDosDateTime(local, date, time);
    for (int i = 0; i < 3; ++i) {
        times[2 * i] = date;
        times[2 * i + 1] = time;
    }
}

}  // namespace talvix
