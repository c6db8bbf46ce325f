#pragma once
#include "platform/FindData.h"
#include "platform/InstanceLock.h"
#include "talvix/cardops/CardViewSink.h"
#include "talvix/settings/CProfile.h"
#include "talvix/settings/MLang.h"

#include <QMainWindow>
#include <QMessageBox>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class QAction;
class QActionGroup;
class QLabel;
class QListView;
class QMenu;
class QMimeData;
class QStackedWidget;
class QStandardItem;
class QStandardItemModel;
class QTimer;
class QToolButton;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;

namespace platform {
class UiInvoker;
}

namespace talvix {
class CSelkIO;
class CSelkReg;
class SelkSys;
class FileOpe;
class CardSession;
class CardEditor;
class OverwriteAsker;
class CopyProgressSink;
struct CardFolder;
}  // namespace talvix

namespace talvix::ui {

class TfrmSelkDev;
class MainAskers;
class TfrmWait;
class TfrmMonitor;
class TfrmFileMon;
class TfrmCopy;
class TfrmBrowse;
class TfrmOWDlg;
class ShellTypes;
class TfrmAbout;
class HelpWindow;

// Where the main window finds its files.
struct MainOptions {
    std::string programFolder;  // tables and help; default: the program's folder
    std::string stateFolder;    // tv10.ini, tv10.key, tmp/; default: the program's state folder
    std::string registryPath;   // device registry file; default: the usual one
};

// Talvix's main window: the card of the current device as a folder tree and
// a file list, the copy to the PC, the write of dropped files, renaming,
// deleting and new folders on the card, and the program's start-up and
// shutdown.
class TfrmMain : public QMainWindow, public CardViewSink {
    Q_OBJECT
public:
    using MessageFn = std::function<QMessageBox::StandardButton(QMessageBox::Icon, const QString&,
                                                                QMessageBox::StandardButtons)>;

    explicit TfrmMain(MainOptions options = {});
    ~TfrmMain() override;

    // The creation step: takes the single-instance lock, reads the settings
    // and the tables and captions the window. False when another copy holds
    // the lock; the caller then ends quietly.
    bool Create();

    // Hooks for what leaves the window; each has a working default.
    MessageFn messageBox;                                                         // message boxes
    std::function<QString(const QString& initial, const QString& title)> pickFolder;  // copy destination
    std::function<void(const QString& folder)> openFolder;                       // after a copy
    std::function<void()> deviceDialog;  // device selection; default: the device dialog, modal

    // Operations.
    QMessageBox::StandardButton ShowError(uint32_t code, const QString& text);
    void RefreshCard();
    bool EnsureDevice();
    bool CheckDevice();
    bool DeviceUsable() const;
    void ShowDeviceDialog();
    void BuildRoot();
    void BuildTree(QTreeWidgetItem* node);
    QTreeWidgetItem* InsertChildNode(QTreeWidgetItem* parent, const std::string& name, CardFolder* record);
    std::string NodePath(const QTreeWidgetItem* node) const;
    void FillList(QTreeWidgetItem* node);
    void CopyToPc();
    // A drop at `pos` of `viewport` (the tree's or the list's): the hit test,
    // then the dropped local files are written to the card. True when taken.
    bool DropAt(QWidget* viewport, const QPoint& pos, const QMimeData* data);
    void WriteDroppedFiles();
    void SetViewStyle(int style);
    void SortList();
    void ColumnClicked(int column);
    void SortBy(int column);
    void UpdateStatus();
    void SelectAll();
    void InvertSelection();
    void OpenListItem();
    void GoUp();
    void LoadDummyFiles();
    void ShowHelp();
    void ShowAbout();

    // Card editing.
    bool CheckCardName(const std::string& cp932Name, const QStandardItem* exclude = nullptr);
    void ListEdited(QStandardItem* item, const QString& text);
    void TreeEdited(QTreeWidgetItem* node, const QString& text);
    void DeleteFromList();
    void DeleteFromTree();
    void NewFolder();
    void CreateFolder(const std::string& name);
    void RenameListItem(QStandardItem* item);

    // CardViewSink.
    TreeNode AddFolderNode(CardFolder& parent, CardFolder& record) override;
    void RemoveListItem(ListItem item) override;
    void RemoveTreeNode(TreeNode node) override;
    void Apply(const std::function<void()>& change) override;

    // State and parts, for the program and its tests.
    CardSession& session() { return *session_; }
    QTreeWidget* tree() const { return tree_; }
    QStandardItemModel* listModel() const { return model_; }
    QTreeView* detailsView() const { return details_; }
    QListView* iconView() const { return icons_; }
    QLabel* statusPanel(int i) const { return panels_[i]; }
    HelpWindow* helpWindow() const { return help_; }
    QStandardItem* ListItemAt(int row) const;
    const platform::FindData* EntryOf(const QStandardItem* item) const;
    int viewStyle() const { return viewStyle_; }
    int sortState() const { return sortState_; }
    int itemCount() const { return itemCount_; }
    bool writeEnabled() const { return writeEnabled_; }
    bool debugMode() const { return debugMode_; }
    const std::string& saveFolder() const { return saveFolder_; }
    const std::string& programPath() const { return programPath_; }
    const MLang& texts() const { return lang_; }
    QTreeWidgetItem* rootNode() const { return rootNode_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildForm();
    void BuildMenus();
    QAction* AddAction(QMenu* menu, const char* name, const QString& caption);
    void SetupListColumns();
    void FirstTick();
    QStandardItem* AddEntryItem(platform::FindData* entry, const std::string& dateText = {});
    void ClearList();
    void SetCopyEnabled(bool enabled);
    void ListContextMenu(const QPoint& pos);
    void TreeContextMenu(const QPoint& pos);
    bool CardLocked() const;
    QString Text(const char* key) const;
    void CenterOn(QWidget* dialog) const;
    int DropHitTest(QWidget* viewport, const QPoint& pos);
    void ClearDropHilite();
    QTreeWidgetItem* NodeOf(TreeNode handle) const;
    void ForgetNodes(QTreeWidgetItem* node);
    int RowOf(ListItem handle) const;
    QTreeWidgetItem* FindChildNode(const std::string& name) const;
    platform::FindData* FindEntryInParent(const std::string& name);
    void AddFolderToModel(QTreeWidgetItem* node, const std::string& name, const platform::FileTime& time);
    void RemoveNewFolderItem();
    bool AskReadOnlyRename(const platform::FindData* entry);
    // Renames parent + oldName to parent + name on the card (with the wait
    // dialog) and in the folder table; shows the error and returns false when
    // the card refuses.
    bool RenameOnCard(const std::string& parent, const std::string& oldName, const std::string& name);
    void SaveSettings();
    void SetNodeText(QTreeWidgetItem* node, const std::string& cp932);
    void SetItemText(QStandardItem* item, const std::string& cp932);

    MainOptions options_;

    // Service objects, in the order they are made.
    std::unique_ptr<CProfile> profile_;
    MLang lang_;
    std::unique_ptr<CSelkIO> selk_;
    std::unique_ptr<CSelkReg> reg_;
    std::unique_ptr<SelkSys> sys_;
    TfrmSelkDev* frmSelkDev_ = nullptr;
    TfrmWait* frmWait_ = nullptr;
    TfrmMonitor* frmMonitor_ = nullptr;
    TfrmFileMon* frmFileMon_ = nullptr;
    TfrmCopy* frmCopy_ = nullptr;
    TfrmBrowse* frmBrowse_ = nullptr;
    TfrmOWDlg* frmOWDlg_ = nullptr;
    std::unique_ptr<FileOpe> ope_;
    std::unique_ptr<CardSession> session_;
    // Lives as long as the window: the delete thread runs on after its
    // command has returned.
    std::unique_ptr<CardEditor> editor_;
    std::unique_ptr<platform::UiInvoker> invoker_;
    std::unique_ptr<MainAskers> askers_;
    std::unique_ptr<ShellTypes> shell_;
    std::unique_ptr<OverwriteAsker> overwriteAsker_;
    std::unique_ptr<CopyProgressSink> progressSink_;
    platform::InstanceLock lock_;

    std::string programPath_;
    bool debugMode_ = false;
    bool writeEnabled_ = false;
    bool dummyMode_ = false;
    bool closed_ = false;
    int viewStyle_ = 0;
    int sortState_ = 0;
    int itemCount_ = 0;
    std::string saveFolder_;
    QString objText_, selText_, byteText_;

    // Drop state.
    std::vector<std::string> dropNames_;
    std::string dropFolder_;
    QStandardItem* dropHilite_ = nullptr;

    // Editing state.
    bool creatingFolder_ = false;
    bool settingText_ = false;
    QStandardItem* clickedItem_ = nullptr;
    platform::FileTime newFolderTime_;
    uint16_t newFolderTimes_[6] = {};
    std::vector<std::unique_ptr<platform::FindData>> scratch_;

    // Handles given to the card engine: numbers that are never reused.
    uintptr_t nextHandle_ = 1;
    std::unordered_map<uintptr_t, QTreeWidgetItem*> nodes_;

    // Widgets.
    QTreeWidget* tree_ = nullptr;
    QTreeWidgetItem* rootNode_ = nullptr;
    QStackedWidget* listStack_ = nullptr;
    QStandardItemModel* model_ = nullptr;
    QTreeView* details_ = nullptr;
    QListView* icons_ = nullptr;
    QLabel* panels_[2] = {};
    QLabel* cardIcon_ = nullptr;
    QLabel* cardText_ = nullptr;
    QWidget* cardPanel_ = nullptr;
    QToolButton* tbUp_ = nullptr;
    QToolButton* tbView_ = nullptr;
    QToolButton* tbRefresh_ = nullptr;
    QToolButton* tbCopy_ = nullptr;
    QAction* mnuCopyExec_ = nullptr;
    QMenu* mnuDebug_ = nullptr;
    QAction* mnuDummy_ = nullptr;
    QAction* mnuAll_ = nullptr;
    QAction* mnuInv_ = nullptr;
    QMenu* pmLV_ = nullptr;
    QMenu* pmFile_ = nullptr;
    QMenu* pmTV_ = nullptr;
    QAction* N9_ = nullptr;
    QAction* pmMakeDir_ = nullptr;
    QAction* pmDelTV_ = nullptr;
    QAction* pmRenTV_ = nullptr;
    QActionGroup* styleGroups_[3] = {};
    QTimer* timer1_ = nullptr;
    QTimer* timer2_ = nullptr;
    TfrmAbout* about_ = nullptr;
    HelpWindow* help_ = nullptr;
};

}  // namespace talvix::ui
