#include "talvix/ui/main/TfrmMain.h"

#include "platform/Cp932.h"
#include "platform/FileTime.h"
#include "platform/ProgramPaths.h"
#include "platform/qt/UiInvoker.h"
#include "talvix/cardops/CardCopier.h"
#include "talvix/cardops/CardEditor.h"
#include "talvix/cardops/CardLister.h"
#include "talvix/cardops/CardNameCheck.h"
#include "talvix/cardops/CardPath.h"
#include "talvix/cardops/CardSession.h"
#include "talvix/cardops/CardWriter.h"
#include "talvix/filexfer/FileOpe.h"
#include "talvix/serial/CSelkIO.h"
#include "talvix/serial/CSelkReg.h"
#include "talvix/serial/SelkSys.h"
#include "talvix/settings/FileName.h"
#include "talvix/settings/FormPlacement.h"
#include "talvix/settings/HelpFile.h"
#include "talvix/ui/CaptionForm.h"
#include "talvix/ui/main/HelpWindow.h"
#include "talvix/ui/main/ListTexts.h"
#include "talvix/ui/main/MainAskers.h"
#include "talvix/ui/device/TfrmFileMon.h"
#include "talvix/ui/device/TfrmMonitor.h"
#include "talvix/ui/device/TfrmSelkDev.h"
#include "talvix/ui/dialogs/CFolderDlg.h"
#include "talvix/ui/dialogs/DialogOverwriteAsker.h"
#include "talvix/ui/dialogs/DialogProgressSink.h"
#include "talvix/ui/dialogs/TfrmBrowse.h"
#include "talvix/ui/dialogs/TfrmCopy.h"
#include "talvix/ui/dialogs/TfrmOWDlg.h"
#include "talvix/ui/dialogs/TfrmWait.h"
#include "talvix/ui/main/ShellTypes.h"
#include "talvix/ui/main/TfrmAbout.h"

#include <QAbstractItemDelegate>
#include <QActionGroup>
#include <QApplication>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>

#include <algorithm>

namespace talvix::ui {

using platform::FindData;

namespace {

constexpr const char* kInit = "INIT";
constexpr int kEntryRole = Qt::UserRole + 1;    // list: FindData*; tree: CardFolder*
constexpr int kNameRole = Qt::UserRole + 2;     // the card name (CP932) the item stands for
constexpr int kHandleRole = Qt::UserRole + 3;   // the handle given to the card engine
constexpr int kSizeRole = Qt::UserRole + 4;

QString Utf8(const std::string& cp932)
{
    return QString::fromStdString(platform::ToUtf8(cp932));
}

std::string Cp932(const QString& text)
{
    return platform::ToCp932(text.toStdString());
}

QIcon CardIcon()
{
    return QApplication::style()->standardIcon(QStyle::SP_DriveFDIcon);
}

}  // namespace

TfrmMain::TfrmMain(MainOptions options) : options_(std::move(options))
{
    setObjectName(QStringLiteral("frmMain"));
    if (options_.programFolder.empty())
        options_.programFolder = platform::ProgramPaths::ProgramFolder();
    if (options_.stateFolder.empty())
        options_.stateFolder = platform::ProgramPaths::StateFolder(options_.programFolder, "tv10");

    // The service objects, in their order.
    const std::string iniPath = options_.stateFolder + "/tv10.ini";
    const std::string shipped = options_.programFolder + "/tv10.ini";
    profile_ = std::make_unique<CProfile>(
        CProfile::AtPath(iniPath, options_.programFolder, shipped == iniPath ? std::string() : shipped));
    selk_ = std::make_unique<CSelkIO>();
    reg_ = std::make_unique<CSelkReg>(options_.registryPath);
    sys_ = std::make_unique<SelkSys>(*selk_);
    // The device dialog captions itself from the tables, so it and the
    // transfer layer that reads its selection are made once they are loaded.
    session_ = std::make_unique<CardSession>(nullptr);
    editor_ = std::make_unique<CardEditor>(*session_);
    invoker_ = std::make_unique<platform::UiInvoker>();
    shell_ = std::make_unique<ShellTypes>(options_.stateFolder);

    messageBox = [this](QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons) {
        QMessageBox box(icon, QApplication::applicationDisplayName(), text, buttons, this);
        return static_cast<QMessageBox::StandardButton>(box.exec());
    };
    pickFolder = [this](const QString& initial, const QString& title) {
        CFolderDlg picker(lang_);
        picker.path = initial.toStdString();
        picker.title = title.toStdString();
        return picker.Choose(this) ? QString::fromStdString(picker.path) : QString();
    };
    openFolder = [](const QString& folder) { QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); };

    askers_ = std::make_unique<MainAskers>(
        lang_, [this](QMessageBox::Icon i, const QString& t, QMessageBox::StandardButtons b) {
            return messageBox(i, t, b);
        });
    session_->readOnlyAsker = askers_.get();
    session_->viewSink = this;

    BuildForm();
}

TfrmMain::~TfrmMain()
{
    // A delete may still run; it hands its changes to this window.
    session_->thread.WaitDone();
    session_->viewSink = nullptr;
    // The dialogs hold on to the link, the registry and the transfer layer:
    // they go before those do (child widgets would only go after them).
    session_->overwriteAsker = nullptr;
    session_->progressSink = nullptr;
    progressSink_.reset();
    overwriteAsker_.reset();
    delete frmMonitor_;
    delete frmFileMon_;
    delete frmOWDlg_;
    delete frmBrowse_;
    delete frmCopy_;
    delete frmWait_;
    delete frmSelkDev_;
}

// ---------------------------------------------------------------- the form

void TfrmMain::BuildForm()
{
    resize(562, 348);

    auto* toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("ToolBar"));
    toolBar->setMovable(false);
    toolBar->setIconSize(QSize(22, 22));
    addToolBar(Qt::TopToolBarArea, toolBar);
    auto makeButton = [&](const char* name, QStyle::StandardPixmap pixmap, const QString& hint) {
        auto* b = new QToolButton(toolBar);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(style()->standardIcon(pixmap));
        b->setToolTip(hint);
        b->setAutoRaise(true);
        toolBar->addWidget(b);
        return b;
    };
    tbUp_ = makeButton("tbUp", QStyle::SP_FileDialogToParent, QStringLiteral("ひとつ上のフォルダへ移動"));
    tbView_ = makeButton("tbView", QStyle::SP_FileDialogListView, QStringLiteral("アイコンの表示"));
    tbRefresh_ = makeButton("tbRefresh", QStyle::SP_BrowserReload, QStringLiteral("最新の情報に更新"));
    tbCopy_ = makeButton("tbCopy", QStyle::SP_DialogSaveButton, QStringLiteral("コピー実行..."));
    tbUp_->setEnabled(false);
    tbCopy_->setEnabled(false);
    tbView_->setPopupMode(QToolButton::MenuButtonPopup);
    connect(tbUp_, &QToolButton::clicked, this, &TfrmMain::GoUp);
    connect(tbView_, &QToolButton::clicked, this, [this] { SetViewStyle(viewStyle_ == 3 ? 0 : viewStyle_ + 1); });
    connect(tbRefresh_, &QToolButton::clicked, this, &TfrmMain::RefreshCard);
    connect(tbCopy_, &QToolButton::clicked, this, &TfrmMain::CopyToPc);

    auto* split = new QSplitter(this);
    split->setObjectName(QStringLiteral("Splitter1"));
    tree_ = new QTreeWidget(split);
    tree_->setObjectName(QStringLiteral("TreeView1"));
    tree_->setHeaderHidden(true);
    tree_->setIndentation(19);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    tree_->setIconSize(QSize(16, 16));

    listStack_ = new QStackedWidget(split);
    listStack_->setObjectName(QStringLiteral("ListView1"));
    listStack_->setProperty("talvixClass", "TListView");
    model_ = new QStandardItemModel(0, 4, this);
    details_ = new QTreeView(listStack_);
    details_->setObjectName(QStringLiteral("ListView1Details"));
    details_->setRootIsDecorated(false);
    details_->setItemsExpandable(false);
    details_->setUniformRowHeights(true);
    details_->setModel(model_);
    icons_ = new QListView(listStack_);
    icons_->setObjectName(QStringLiteral("ListView1Icons"));
    icons_->setModel(model_);
    icons_->setSelectionModel(details_->selectionModel());
    for (QAbstractItemView* v : {static_cast<QAbstractItemView*>(details_), static_cast<QAbstractItemView*>(icons_)}) {
        v->setSelectionMode(QAbstractItemView::ExtendedSelection);
        v->setEditTriggers(QAbstractItemView::NoEditTriggers);
        v->setContextMenuPolicy(Qt::CustomContextMenu);
        v->viewport()->installEventFilter(this);
        v->installEventFilter(this);
        connect(v, &QWidget::customContextMenuRequested, this, &TfrmMain::ListContextMenu);
        connect(v, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex&) { OpenListItem(); });
        connect(v->itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] {
            // An edit of a new folder that ended without a change creates the
            // folder under the name it was shown with.
            const auto unchanged = [this] {
                return creatingFolder_ && clickedItem_ != nullptr && !timer2_->isActive() &&
                       Cp932(clickedItem_->text()) == clickedItem_->data(kNameRole).toString().toStdString();
            };
            if (unchanged())
                QTimer::singleShot(0, this, [this, unchanged] {
                    if (unchanged())
                        ListEdited(clickedItem_, clickedItem_->text());
                });
        });
    }
    listStack_->addWidget(icons_);
    listStack_->addWidget(details_);
    details_->header()->setSectionsClickable(true);
    connect(details_->header(), &QHeaderView::sectionClicked, this, &TfrmMain::ColumnClicked);
    connect(details_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { UpdateStatus(); });
    connect(model_, &QStandardItemModel::itemChanged, this, [this](QStandardItem* item) {
        if (settingText_ || item->column() != 0)
            return;
        const QString text = item->text();
        if (Cp932(text) == item->data(kNameRole).toString().toStdString())
            return;  // not an edit of the name
        QTimer::singleShot(0, this, [this, item, text] {
            if (RowOf(reinterpret_cast<ListItem>(item->data(kHandleRole).value<quintptr>())) >= 0)
                ListEdited(item, text);
        });
    });
    split->addWidget(tree_);
    split->addWidget(listStack_);
    split->setStretchFactor(1, 1);
    split->setSizes({193, 369});
    setCentralWidget(split);

    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* node) { FillList(node); });
    connect(tree_, &QWidget::customContextMenuRequested, this, &TfrmMain::TreeContextMenu);
    connect(tree_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* node, int) {
        if (settingText_)
            return;
        const QString text = node->text(0);
        QTimer::singleShot(0, this, [this, node, text] {
            for (const auto& [h, n] : nodes_)
                if (n == node) {
                    TreeEdited(node, text);
                    return;
                }
        });
    });
    tree_->installEventFilter(this);
    tree_->viewport()->installEventFilter(this);

    auto* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    panels_[0] = new QLabel(bar);
    panels_[0]->setFixedWidth(240);
    panels_[1] = new QLabel(bar);
    panels_[1]->setFixedWidth(200);
    cardPanel_ = new QWidget(bar);
    cardPanel_->setFixedWidth(100);
    auto* cardLayout = new QHBoxLayout(cardPanel_);
    cardLayout->setContentsMargins(0, 0, 0, 0);
    cardIcon_ = new QLabel(cardPanel_);
    cardText_ = new QLabel(cardPanel_);
    cardLayout->addWidget(cardIcon_);
    cardLayout->addWidget(cardText_, 1);
    bar->addWidget(panels_[0]);
    bar->addWidget(panels_[1]);
    bar->addWidget(cardPanel_);
    bar->installEventFilter(this);

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setSingleShot(true);
    timer1_->setInterval(500);
    connect(timer1_, &QTimer::timeout, this, &TfrmMain::FirstTick);
    timer2_ = new QTimer(this);
    timer2_->setObjectName(QStringLiteral("Timer2"));
    timer2_->setSingleShot(true);
    timer2_->setInterval(100);
    connect(timer2_, &QTimer::timeout, this, &TfrmMain::RemoveNewFolderItem);

    BuildMenus();
}

QAction* TfrmMain::AddAction(QMenu* menu, const char* name, const QString& caption)
{
    auto* a = new QAction(caption, menu);
    a->setObjectName(QString::fromLatin1(name));
    menu->addAction(a);
    return a;
}

void TfrmMain::BuildMenus()
{
    auto* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto submenu = [&](QWidget* parent, const char* name, const QString& caption) {
        auto* m = new QMenu(caption, parent);
        m->setObjectName(QString::fromLatin1(name));
        if (auto* mb = qobject_cast<QMenuBar*>(parent))
            mb->addMenu(m);
        else if (auto* pm = qobject_cast<QMenu*>(parent))
            pm->addMenu(m);
        return m;
    };

    QMenu* file = submenu(bar, "mnuFile", QStringLiteral("ファイル(&F)"));
    mnuCopyExec_ = AddAction(file, "mnuCopyExec", QStringLiteral("コピー実行...(&C)"));
    mnuCopyExec_->setEnabled(false);
    connect(mnuCopyExec_, &QAction::triggered, this, &TfrmMain::CopyToPc);
    for (const char* hidden : {"mnuNew", "mnuDel", "mnuRename"})
        AddAction(file, hidden, QString::fromLatin1(hidden))->setVisible(false);
    file->addSeparator();
    connect(AddAction(file, "mnuExit", QStringLiteral("終了(&X)")), &QAction::triggered, this, &QWidget::close);

    QMenu* edit = submenu(bar, "mnuEdit", QStringLiteral("編集(&E)"));
    mnuAll_ = AddAction(edit, "mnuAll", QStringLiteral("すべて選択(&A)"));
    mnuAll_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    mnuInv_ = AddAction(edit, "mnuInv", QStringLiteral("選択を反転(&I)"));
    connect(edit, &QMenu::aboutToShow, this, [this] {
        mnuAll_->setEnabled(itemCount_ != 0);
        mnuInv_->setEnabled(itemCount_ != 0);
    });
    connect(mnuAll_, &QAction::triggered, this, &TfrmMain::SelectAll);
    connect(mnuInv_, &QAction::triggered, this, &TfrmMain::InvertSelection);

    QMenu* view = submenu(bar, "mnuView", QStringLiteral("表示(&V)"));
    struct Toggle {
        const char* name;
        QString caption;
        QWidget* target;
    };
    for (const Toggle& t : {Toggle{"mnuToolBar", QStringLiteral("ツール バー(&T)"), findChild<QToolBar*>()},
                            Toggle{"mnuStsbar", QStringLiteral("ステータス バー(&B)"), statusBar()},
                            Toggle{"mnuTree", QStringLiteral("ツリービュー(&V)"), tree_}}) {
        QAction* a = AddAction(view, t.name, t.caption);
        a->setCheckable(true);
        a->setChecked(true);
        QWidget* target = t.target;
        connect(a, &QAction::toggled, target, &QWidget::setVisible);
    }
    view->addSeparator();

    // The four view styles, offered in three places.
    const QString styleCaptions[4] = {QStringLiteral("大きいアイコン(&G)"), QStringLiteral("小さいアイコン(&M)"),
                                      QStringLiteral("一覧(&L)"), QStringLiteral("詳細(&D)")};
    auto addStyles = [&](QMenu* menu, int group, const char* const names[4]) {
        styleGroups_[group] = new QActionGroup(menu);
        for (int tag = 0; tag < 4; ++tag) {
            QAction* a = AddAction(menu, names[tag], styleCaptions[tag]);
            a->setCheckable(true);
            a->setData(tag);
            styleGroups_[group]->addAction(a);
            connect(a, &QAction::triggered, this, [this, tag] {
                if (tag != viewStyle_)
                    SetViewStyle(tag);
            });
        }
    };
    static const char* const viewNames[4] = {"mnuLIcon", "mnuSIcon", "mnuList", "mnuDetail"};
    addStyles(view, 0, viewNames);
    view->addSeparator();
    static const char* const sortNames[4] = {"mnuSortByName", "mnuSortBySize", "mnuSortByType", "mnuSortByDate"};
    const QString sortCaptions[4] = {QStringLiteral("名前順(&N)"), QStringLiteral("サイズ順(&S)"),
                                     QStringLiteral("種類順(&T)"), QStringLiteral("日付順(&D)")};
    auto addSorts = [&](QMenu* menu, const char* const names[4]) {
        for (int tag = 0; tag < 4; ++tag)
            connect(AddAction(menu, names[tag], sortCaptions[tag]), &QAction::triggered, this,
                    [this, tag] { SortBy(tag); });
    };
    addSorts(submenu(view, "mnuSort", QStringLiteral("アイコンの整列(&I)")), sortNames);
    view->addSeparator();
    connect(AddAction(view, "mnuRefresh", QStringLiteral("最新の情報に更新(&R)")), &QAction::triggered, this,
            &TfrmMain::RefreshCard);

    QMenu* set = submenu(bar, "mnuSet", QStringLiteral("設定(&S)"));
    connect(AddAction(set, "mnuSelk", QStringLiteral("ＳＥＬＫ機器...(&S)")), &QAction::triggered, this, [this] {
        ShowDeviceDialog();
        CheckDevice();
    });

    mnuDebug_ = submenu(bar, "mnuDebug", QStringLiteral("&Debug"));
    connect(AddAction(mnuDebug_, "mnuSELKMon", QStringLiteral("SELK Monitor")), &QAction::triggered, this, [this] {
        if (frmMonitor_ != nullptr) {
            frmMonitor_->show();
            frmMonitor_->raise();
        }
    });
    connect(AddAction(mnuDebug_, "mnuFTMon", QStringLiteral("File Transmisson")), &QAction::triggered, this, [this] {
        if (frmFileMon_ != nullptr) {
            frmFileMon_->show();
            frmFileMon_->raise();
        }
    });
    mnuDummy_ = AddAction(mnuDebug_, "mnuDummy", QStringLiteral("Load dummy files"));
    mnuDummy_->setCheckable(true);
    connect(mnuDummy_, &QAction::triggered, this, &TfrmMain::LoadDummyFiles);
    connect(AddAction(mnuDebug_, "mnuDelThis", QStringLiteral("Delete Debug Menu")), &QAction::triggered, this,
            [this] { mnuDebug_->menuAction()->setVisible(false); });
    AddAction(mnuDebug_, "Test1", QStringLiteral("Test"));
    mnuDebug_->menuAction()->setVisible(false);

    QMenu* helpMenu = submenu(bar, "mnuHelp", QStringLiteral("ヘルプ(&H)"));
    connect(AddAction(helpMenu, "mnuHelpTopic", QStringLiteral("トピックの検索(&H)")), &QAction::triggered, this,
            &TfrmMain::ShowHelp);
    connect(AddAction(helpMenu, "mnuAbout", QStringLiteral("バージョン情報(&A)")), &QAction::triggered, this,
            &TfrmMain::ShowAbout);

    // tbView's drop-down.
    auto* menu2 = new QMenu(this);
    menu2->setObjectName(QStringLiteral("MainMenu2"));
    menu2->setProperty("talvixClass", "TMainMenu");
    QMenu* vwBtn = submenu(menu2, "mnuVwBtn", QString());
    static const char* const vwNames[4] = {"mnuVwLIcon", "mnuVwSIcon", "mnuVwList", "mnuVwDetail"};
    addStyles(vwBtn, 1, vwNames);
    tbView_->setMenu(vwBtn);

    // The list's popups and the tree's.
    pmLV_ = new QMenu(this);
    pmLV_->setObjectName(QStringLiteral("pmLV"));
    static const char* const pmViewNames[4] = {"pmLIcon", "pmSIcon", "pmList", "pmDetail"};
    addStyles(submenu(pmLV_, "pmView", QStringLiteral("表示(&V)")), 2, pmViewNames);
    static const char* const pmSortNames[4] = {"pmSortByName", "pmSortBySize", "pmSortByType", "pmSortByDate"};
    addSorts(submenu(pmLV_, "pmSort", QStringLiteral("アイコンの整列(&I)")), pmSortNames);
    connect(AddAction(pmLV_, "pmRefresh", QStringLiteral("最新の情報に更新(&R)")), &QAction::triggered, this,
            &TfrmMain::RefreshCard);
    N9_ = pmLV_->addSeparator();
    N9_->setObjectName(QStringLiteral("N9"));
    pmMakeDir_ = AddAction(pmLV_, "pmMakeDir", QStringLiteral("フォルダの作成(&F)"));
    connect(pmMakeDir_, &QAction::triggered, this, &TfrmMain::NewFolder);

    pmFile_ = new QMenu(this);
    pmFile_->setObjectName(QStringLiteral("pmFile"));
    connect(AddAction(pmFile_, "pmDel", QStringLiteral("&Delete")), &QAction::triggered, this,
            &TfrmMain::DeleteFromList);
    connect(AddAction(pmFile_, "pmRename", QStringLiteral("Rena&me")), &QAction::triggered, this,
            [this] { RenameListItem(clickedItem_); });

    pmTV_ = new QMenu(this);
    pmTV_->setObjectName(QStringLiteral("pmTV"));
    pmDelTV_ = AddAction(pmTV_, "pmDelTV", QStringLiteral("&Delete"));
    connect(pmDelTV_, &QAction::triggered, this, &TfrmMain::DeleteFromTree);
    pmRenTV_ = AddAction(pmTV_, "pmRenTV", QStringLiteral("Rena&me"));
    connect(pmRenTV_, &QAction::triggered, this, [this] {
        if (QTreeWidgetItem* node = tree_->currentItem())
            tree_->editItem(node, 0);
    });
}

// ---------------------------------------------------------------- start-up

bool TfrmMain::Create()
{
    programPath_ = options_.programFolder + "/";
    if (!lock_.Acquire(options_.stateFolder + "/tv10.key"))
        return false;

    int value = 0;
    debugMode_ = profile_->ReadInt(kInit, "DEBUG", value) && value != 0;
    mnuDebug_->menuAction()->setVisible(debugMode_);
    value = 0;
    writeEnabled_ = profile_->ReadInt(kInit, "WRITE", value) && value != 0;
    value = 0;
    viewStyle_ = profile_->ReadInt(kInit, "ICON", value) ? value : 0;
    std::string folder;
    if (profile_->ReadString(kInit, "SAVEFOLDER", folder) && FileName::CheckPath(folder + "/", false))
        saveFolder_ = folder;

    lang_.SelectLanguage();
    lang_.LoadStyleTable(options_.programFolder + "/tv10.sty");
    lang_.LoadCaptionTable(options_.programFolder + "/tv10.cpt");
    QApplication::setApplicationDisplayName(Text("TI_MAIN"));
    setWindowTitle(Text("TI_MAIN"));
    CaptionForm(lang_, this);

    // Placement, within the screen's work area.
    if (QScreen* screen = QApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        const QRect full = screen->geometry();
        const FormGeometry current{x(), y(), width(), height()};
        const FormGeometry g = RestoreFormPlacement(*profile_, "frmMain", true, current,
                                                    WorkArea{avail.left(), avail.top(), avail.right() + 1,
                                                             avail.bottom() + 1},
                                                    full.width(), full.height());
        move(g.left, g.top);
        resize(g.width, g.height);
    }
    setWindowIcon(QApplication::windowIcon().isNull() ? CardIcon() : QApplication::windowIcon());

    const QAbstractItemView::EditTriggers edit = writeEnabled_
        ? QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked
        : QAbstractItemView::NoEditTriggers;
    tree_->setEditTriggers(edit);
    details_->setEditTriggers(edit);
    icons_->setEditTriggers(edit);

    session_->programPath = programPath_;
    about_ = new TfrmAbout(lang_, windowIcon(), this);
    frmSelkDev_ = new TfrmSelkDev(lang_, *selk_, *sys_, *reg_, this);
    frmWait_ = new TfrmWait(lang_, this);
    frmWait_->BindAbortFlag(session_->flags.waitAbort);
    frmWait_->SetDeviceDialog(frmSelkDev_);
    frmSelkDev_->SetWaitView(frmWait_);
    frmCopy_ = new TfrmCopy(lang_, this);
    frmCopy_->BindCancelFlag(session_->flags.copyCancel);
    ope_ = std::make_unique<FileOpe>(*selk_, *frmSelkDev_);
    session_->ope = ope_.get();
    frmMonitor_ = new TfrmMonitor(this);
    frmFileMon_ = new TfrmFileMon(*ope_, *profile_, this);
    frmBrowse_ = new TfrmBrowse(lang_, this);
    frmBrowse_->BindAbortFlag(session_->flags.listingAbort);
    frmOWDlg_ = new TfrmOWDlg(lang_, this);
    overwriteAsker_ = std::make_unique<DialogOverwriteAsker>(*frmOWDlg_, *invoker_);
    progressSink_ = std::make_unique<DialogProgressSink>(*frmCopy_, *invoker_);
    session_->overwriteAsker = overwriteAsker_.get();
    return true;
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (timer1_->isActive() || closed_ || property("shownOnce").toBool())
        return;
    setProperty("shownOnce", true);
    if (writeEnabled_)
        for (QWidget* w : {tree_->viewport(), details_->viewport(), icons_->viewport()})
            w->setAcceptDrops(true);
    if (frmMonitor_ != nullptr)
        frmMonitor_->SetSelkIO(selk_.get());
    SetViewStyle(viewStyle_);
    SetupListColumns();
    timer1_->start();
    setEnabled(false);
}

void TfrmMain::FirstTick()
{
    timer1_->stop();
    SetupListColumns();
    setEnabled(true);
    if (!debugMode_)
        RefreshCard();
}

void TfrmMain::SetupListColumns()
{
    model_->setHorizontalHeaderLabels({Text("LV_NAME"), Text("LV_SIZE"), Text("LV_TYPE"), Text("LV_DATE")});
    model_->horizontalHeaderItem(1)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    details_->setColumnWidth(0, 100);
    details_->setColumnWidth(2, 100);
    details_->setColumnWidth(3, 120);
    objText_ = Text("STS_OBJ");
    selText_ = Text("STS_SEL");
    byteText_ = Text("STS_BYTE");
    itemCount_ = 0;
}

// ---------------------------------------------------------------- shutdown

void TfrmMain::closeEvent(QCloseEvent* event)
{
    if (session_->thread.Running()) {
        // A card thread still works on the line; close once it has ended.
        session_->thread.WaitDone();
    }
    if (!closed_) {
        closed_ = true;
        SaveSettings();
    }
    if (help_ != nullptr)
        help_->close();
    QMainWindow::closeEvent(event);
}

void TfrmMain::SaveSettings()
{
    selk_->Close();
    const QRect g = frameGeometry();
    SaveFormPlacement(*profile_, "frmMain", FormGeometry{g.left(), g.top(), width(), height()});
    profile_->WriteInt(kInit, "ICON", viewStyle_);
    profile_->WriteString(kInit, "SAVEFOLDER", saveFolder_);
    if (writeEnabled_) {
        for (QWidget* w : {tree_->viewport(), details_->viewport(), icons_->viewport()})
            w->setAcceptDrops(false);
        dropNames_.clear();
    }
}

// ---------------------------------------------------------------- messages

QString TfrmMain::Text(const char* key) const
{
    return QString::fromStdString(lang_.GetText(key));
}

QMessageBox::StandardButton TfrmMain::ShowError(uint32_t code, const QString& text)
{
    QString message;
    QMessageBox::Icon icon = QMessageBox::Warning;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    switch (code & 0xFF) {
    case 1:
        message = Text("MSG_COMERR") + QStringLiteral(" [%1]").arg((code >> 8) & 0xFF, 2, 16, QChar('0')).toUpper();
        break;
    case 2: message = Text("MSG_NODEV1") + "\n" + Text("MSG_NODEV2"); break;
    case 3: message = Text("MSG_NOSPACE"); break;
    case 4:
        message = text + "\n" + Text("MSG_SAVEOW1") + "\n" + Text("MSG_SAVEOW2");
        icon = QMessageBox::Information;
        buttons = QMessageBox::Yes | QMessageBox::No;
        break;
    case 5: message = Text("MSG_NOSUPORT"); icon = QMessageBox::Critical; break;
    case 6: message = Text("MSG_NOCARD"); icon = QMessageBox::Critical; break;
    case 7: message = Text("MSG_NOFORMAT"); icon = QMessageBox::Critical; break;
    case 0xFF: message = Text("MSG_ABORT"); icon = QMessageBox::Information; break;
    default: message = QStringLiteral("ERROR"); icon = QMessageBox::Critical; break;
    }
    return messageBox(icon, message, buttons);
}

void TfrmMain::CenterOn(QWidget* dialog) const
{
    const QRect m = frameGeometry();
    dialog->move(m.left() + (m.width() - dialog->width()) / 2, m.top() + (m.height() - dialog->height()) / 2);
}

// ---------------------------------------------------------------- devices

bool TfrmMain::DeviceUsable() const
{
    if (frmSelkDev_ == nullptr || !frmSelkDev_->PortOpen() || frmSelkDev_->CurrentDeviceID() == 0 ||
        frmSelkDev_->DeviceCount() == 0)
        return false;
    const int index = frmSelkDev_->IndexOfID(frmSelkDev_->CurrentDeviceID());
    const auto entries = frmSelkDev_->WorkingEntries();
    return index >= 0 && static_cast<size_t>(index) < entries.size() && entries[static_cast<size_t>(index)].answered;
}

bool TfrmMain::EnsureDevice()
{
    if (frmSelkDev_ == nullptr)
        return false;
    frmSelkDev_->LoadDevices();
    frmSelkDev_->RefreshDevices();
    if (!DeviceUsable())
        ShowDeviceDialog();
    return CheckDevice();
}

bool TfrmMain::CheckDevice()
{
    if (DeviceUsable())
        return true;
    ShowError(2, QString());
    return false;
}

void TfrmMain::ShowDeviceDialog()
{
    if (deviceDialog)
        deviceDialog();
    else if (frmSelkDev_ != nullptr)
        frmSelkDev_->ShowCentred(this);
}

// ---------------------------------------------------------------- the tree

std::string TfrmMain::NodePath(const QTreeWidgetItem* node) const
{
    std::string path;
    for (; node != nullptr && node->parent() != nullptr; node = node->parent())
        path = "\\" + node->data(0, kNameRole).toString().toStdString() + path;
    return path;
}

void TfrmMain::SetNodeText(QTreeWidgetItem* node, const std::string& cp932)
{
    settingText_ = true;
    node->setData(0, kNameRole, QString::fromStdString(cp932));
    node->setText(0, Utf8(cp932));
    settingText_ = false;
}

void TfrmMain::SetItemText(QStandardItem* item, const std::string& cp932)
{
    settingText_ = true;
    item->setData(QString::fromStdString(cp932), kNameRole);
    item->setText(Utf8(cp932));
    settingText_ = false;
}

void TfrmMain::SetCopyEnabled(bool enabled)
{
    tbCopy_->setEnabled(enabled);
    mnuCopyExec_->setEnabled(enabled);
}

void TfrmMain::RefreshCard()
{
    if (!EnsureDevice())
        return;
    session_->thread.WaitDone();
    itemCount_ = 0;
    session_->folders.Clear();
    ClearList();
    settingText_ = true;
    tree_->clear();
    settingText_ = false;
    nodes_.clear();
    rootNode_ = nullptr;
    scratch_.clear();
    SetCopyEnabled(false);
    cardText_->clear();
    cardIcon_->clear();

    session_->flags.listingAbort = false;
    CenterOn(frmBrowse_);
    frmBrowse_->show();
    CardLister lister(*session_);
    lister.StartListing();
    frmBrowse_->close();
    if (session_->CardStatus == ST_OK) {
        BuildRoot();
        BuildTree(rootNode_);
        tree_->setCurrentItem(rootNode_);
    } else {
        ShowError(session_->CardStatus, QString());
    }
}

void TfrmMain::BuildRoot()
{
    std::string label = session_->volumeLabel;
    if (label.empty())
        label = "CARD";
    settingText_ = true;
    tree_->clear();
    settingText_ = false;
    nodes_.clear();
    rootNode_ = new QTreeWidgetItem;
    rootNode_->setFlags(rootNode_->flags() & ~Qt::ItemIsEditable);
    CardFolder* record = session_->folders.FindFolder("");
    rootNode_->setData(0, kEntryRole, QVariant::fromValue(reinterpret_cast<quintptr>(record)));
    rootNode_->setIcon(0, CardIcon());
    const uintptr_t handle = nextHandle_++;
    rootNode_->setData(0, kHandleRole, QVariant::fromValue(static_cast<quintptr>(handle)));
    nodes_[handle] = rootNode_;
    if (record != nullptr)
        record->node = reinterpret_cast<TreeNode>(handle);
    SetNodeText(rootNode_, label);
    tree_->addTopLevelItem(rootNode_);
    itemCount_ = 0;
    cardIcon_->setPixmap(CardIcon().pixmap(16, 16));
    cardText_->setText(Utf8(label));
}

void TfrmMain::BuildTree(QTreeWidgetItem* node)
{
    if (node == nullptr)
        return;
    if (session_->folders.CardFolderCount == 0) {
        SetCopyEnabled(false);
        return;
    }
    SetCopyEnabled(true);
    if (CardFolder* record = session_->folders.FindFolder(NodePath(node)))
        for (const CardFolders::Child& child : session_->folders.Children(*record))
            InsertChildNode(node, child.name, child.record);
    for (int i = 0; i < node->childCount(); ++i)
        BuildTree(node->child(i));
    node->setExpanded(node == rootNode_);
}

QTreeWidgetItem* TfrmMain::InsertChildNode(QTreeWidgetItem* parent, const std::string& name, CardFolder* record)
{
    const auto textOf = [](const QTreeWidgetItem* n) { return n->data(0, kNameRole).toString().toStdString(); };
    int at = parent->childCount();
    for (int i = 0; i < parent->childCount(); ++i) {
        const std::string t = textOf(parent->child(i));
        if (t == name)
            return nullptr;  // no duplicate node
        if (at == parent->childCount() && name < t)
            at = i;
    }
    auto* node = new QTreeWidgetItem;
    node->setIcon(0, style()->standardIcon(QStyle::SP_DirClosedIcon));
    node->setData(0, kEntryRole, QVariant::fromValue(reinterpret_cast<quintptr>(record)));
    const uintptr_t handle = nextHandle_++;
    node->setData(0, kHandleRole, QVariant::fromValue(static_cast<quintptr>(handle)));
    nodes_[handle] = node;
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    SetNodeText(node, name);
    settingText_ = true;
    parent->insertChild(at, node);
    settingText_ = false;
    if (record != nullptr)
        record->node = reinterpret_cast<TreeNode>(handle);
    return node;
}

QTreeWidgetItem* TfrmMain::NodeOf(TreeNode handle) const
{
    auto it = nodes_.find(reinterpret_cast<uintptr_t>(handle));
    return it == nodes_.end() ? nullptr : it->second;
}

void TfrmMain::ForgetNodes(QTreeWidgetItem* node)
{
    for (int i = 0; i < node->childCount(); ++i)
        ForgetNodes(node->child(i));
    nodes_.erase(static_cast<uintptr_t>(node->data(0, kHandleRole).value<quintptr>()));
}

void TfrmMain::GoUp()
{
    QTreeWidgetItem* node = tree_->currentItem();
    if (node != nullptr && node->parent() != nullptr)
        tree_->setCurrentItem(node->parent());
}

// ---------------------------------------------------------------- the list

void TfrmMain::ClearList()
{
    dropHilite_ = nullptr;
    clickedItem_ = nullptr;
    creatingFolder_ = false;
    timer2_->stop();
    settingText_ = true;
    model_->removeRows(0, model_->rowCount());
    settingText_ = false;
}

QStandardItem* TfrmMain::ListItemAt(int row) const
{
    return row >= 0 && row < model_->rowCount() ? model_->item(row, 0) : nullptr;
}

const FindData* TfrmMain::EntryOf(const QStandardItem* item) const
{
    return item == nullptr ? nullptr : reinterpret_cast<const FindData*>(item->data(kEntryRole).value<quintptr>());
}

int TfrmMain::RowOf(ListItem handle) const
{
    const auto h = reinterpret_cast<quintptr>(handle);
    for (int row = 0; row < model_->rowCount(); ++row)
        if (model_->item(row, 0)->data(kHandleRole).value<quintptr>() == h)
            return row;
    return -1;
}

void TfrmMain::FillList(QTreeWidgetItem* node)
{
    if (rootNode_ == nullptr || node == nullptr)
        return;
    ClearList();
    if (session_->folders.CardFolderCount == 0) {
        SetCopyEnabled(false);
        return;
    }
    SetCopyEnabled(node != rootNode_);
    tbUp_->setEnabled(node != rootNode_);
    auto* record = reinterpret_cast<CardFolder*>(node->data(0, kEntryRole).value<quintptr>());
    if (record != nullptr)
        for (auto& entry : record->entries)
            AddEntryItem(entry.get());
    itemCount_ = record != nullptr ? record->count() : 0;
    UpdateStatus();
    if (itemCount_ > 1)
        SortList();
    setWindowTitle(QApplication::applicationDisplayName() + "  [ " + Utf8(NodePath(node)) + " ]");
}

QStandardItem* TfrmMain::AddEntryItem(FindData* entry, const std::string& dateText)
{
    const ShellTypes::Info info = shell_->ShellInfo(*entry);
    auto* name = new QStandardItem(info.smallIcon, Utf8(entry->cFileName));
    name->setData(QVariant::fromValue(reinterpret_cast<quintptr>(entry)), kEntryRole);
    name->setData(QString::fromStdString(entry->cFileName), kNameRole);
    name->setData(QVariant::fromValue(static_cast<quintptr>(nextHandle_++)), kHandleRole);
    name->setData(QVariant::fromValue(static_cast<qulonglong>(entry->FileSize())), kSizeRole);
    name->setEditable(writeEnabled_);
    auto* size = new QStandardItem(
        entry->IsDirectory() ? QString() : QString::fromStdString(listtexts::FormatSize(entry->nFileSizeHigh, entry->nFileSizeLow)));
    size->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* type = new QStandardItem(info.typeName);
    auto* date = new QStandardItem(QString::fromStdString(
        dateText.empty() ? listtexts::FormatDate(entry->ftLastWriteTime, QLocale::system()) : dateText));
    for (QStandardItem* i : {size, type, date})
        i->setEditable(false);
    settingText_ = true;
    model_->appendRow({name, size, type, date});
    settingText_ = false;
    return name;
}

void TfrmMain::SetViewStyle(int style)
{
    const int n = style >= 1 && style <= 3 ? style : 0;
    for (QActionGroup* group : styleGroups_)
        if (group != nullptr)
            for (QAction* a : group->actions())
                a->setChecked(a->data().toInt() == n);
    viewStyle_ = style;
    switch (n) {
    case 3: listStack_->setCurrentWidget(details_); break;
    case 2:
        icons_->setViewMode(QListView::ListMode);
        icons_->setFlow(QListView::TopToBottom);
        icons_->setWrapping(true);
        icons_->setIconSize(QSize(16, 16));
        listStack_->setCurrentWidget(icons_);
        break;
    case 1:
        icons_->setViewMode(QListView::ListMode);
        icons_->setFlow(QListView::LeftToRight);
        icons_->setWrapping(true);
        icons_->setIconSize(QSize(16, 16));
        listStack_->setCurrentWidget(icons_);
        break;
    default:
        icons_->setViewMode(QListView::IconMode);
        icons_->setIconSize(QSize(32, 32));
        icons_->setGridSize(QSize(80, 64));
        icons_->setMovement(QListView::Static);
        listStack_->setCurrentWidget(icons_);
        break;
    }
    if (n != 0)
        icons_->setGridSize(QSize());
    icons_->setResizeMode(QListView::Adjust);
}

void TfrmMain::SortList()
{
    const int rows = model_->rowCount();
    struct Row {
        QList<QStandardItem*> items;
        listtexts::SortKey key;
    };
    std::vector<Row> all;
    all.reserve(static_cast<size_t>(rows));
    QList<QStandardItem*> selected;
    for (const QModelIndex& i : details_->selectionModel()->selectedRows())
        selected.push_back(model_->itemFromIndex(i));
    settingText_ = true;
    for (int r = rows - 1; r >= 0; --r) {
        Row row;
        row.items = model_->takeRow(r);
        const FindData* e = EntryOf(row.items[0]);
        row.key.folder = e != nullptr && e->IsDirectory();
        row.key.name = row.items[0]->data(kNameRole).toString().toStdString();
        row.key.size = row.items[0]->data(kSizeRole).toULongLong();
        row.key.type = row.items[2]->text().toStdString();
        row.key.date = row.items[3]->text().toStdString();
        all.push_back(std::move(row));
    }
    std::reverse(all.begin(), all.end());
    std::stable_sort(all.begin(), all.end(), [this](const Row& a, const Row& b) {
        return listtexts::CompareItems(a.key, b.key, sortState_) < 0;
    });
    for (Row& row : all)
        model_->appendRow(row.items);
    settingText_ = false;
    for (QStandardItem* item : selected)
        details_->selectionModel()->select(item->index(), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void TfrmMain::ColumnClicked(int column)
{
    sortState_ = listtexts::SortStateAfterColumnClick(sortState_, column);
    SortList();
}

void TfrmMain::SortBy(int column)
{
    sortState_ = (sortState_ & listtexts::kSortDescending) + column;
    SortList();
}

void TfrmMain::UpdateStatus()
{
    const QModelIndexList selected = details_->selectionModel()->selectedRows();
    uint32_t bytes = 0;
    if (!selected.isEmpty()) {
        panels_[0]->setText(QString::number(selected.size()) + selText_);
        tbCopy_->setEnabled(true);
        for (const QModelIndex& i : selected)
            bytes += static_cast<uint32_t>(model_->item(i.row(), 0)->data(kSizeRole).toULongLong());
    } else {
        panels_[0]->setText(QString::number(itemCount_) + objText_);
        for (int r = 0; r < model_->rowCount(); ++r)
            bytes += static_cast<uint32_t>(model_->item(r, 0)->data(kSizeRole).toULongLong());
    }
    panels_[1]->setText(QString::fromStdString(listtexts::FormatBytes(bytes)) + byteText_);
}

void TfrmMain::SelectAll()
{
    listStack_->currentWidget()->setFocus();
    details_->selectAll();
    UpdateStatus();
}

void TfrmMain::InvertSelection()
{
    listStack_->currentWidget()->setFocus();
    QItemSelectionModel* sel = details_->selectionModel();
    for (int r = 0; r < model_->rowCount(); ++r)
        sel->select(model_->index(r, 0), QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
    UpdateStatus();
}

void TfrmMain::OpenListItem()
{
    const QModelIndexList selected = details_->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    QStandardItem* item = model_->item(selected.front().row(), 0);
    const FindData* entry = EntryOf(item);
    QTreeWidgetItem* node = tree_->currentItem();
    if (entry == nullptr || !entry->IsDirectory() || node == nullptr)
        return;
    const std::string name = item->data(kNameRole).toString().toStdString();
    for (int i = 0; i < node->childCount(); ++i)
        if (node->child(i)->data(0, kNameRole).toString().toStdString() == name) {
            tree_->setCurrentItem(node->child(i));
            return;
        }
}

// ---------------------------------------------------------------- events

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    const bool listViewport = watched == details_->viewport() || watched == icons_->viewport();
    const bool treeViewport = watched == tree_->viewport();
    switch (event->type()) {
    case QEvent::Resize:
        if (watched == statusBar()) {
            const int w = statusBar()->width();
            panels_[1]->setFixedWidth(w < 460 ? 0 : w - 460);
        }
        break;
    case QEvent::KeyPress:
        if ((watched == details_ || watched == icons_) &&
            (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
             static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter)) {
            OpenListItem();
            return true;
        }
        if (watched == tree_ && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return) {
            if (QTreeWidgetItem* n = tree_->currentItem())
                n->setExpanded(!n->isExpanded());
            return true;
        }
        break;
    case QEvent::KeyRelease:
        if (watched == details_ || watched == icons_)
            UpdateStatus();
        break;
    case QEvent::MouseButtonRelease:
        if (listViewport)
            UpdateStatus();
        break;
    case QEvent::MouseButtonPress:
        if (treeViewport) {
            if (QTreeWidgetItem* n = tree_->itemAt(static_cast<QMouseEvent*>(event)->position().toPoint()))
                tree_->setCurrentItem(n);
        }
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
        if (listViewport || treeViewport) {
            auto* drag = static_cast<QDropEvent*>(event);
            if (drag->mimeData()->hasUrls() && DropHitTest(widget, drag->position().toPoint()) == 1)
                drag->acceptProposedAction();
            else
                drag->ignore();
            return true;
        }
        break;
    case QEvent::DragLeave:
        if (listViewport)
            ClearDropHilite();
        break;
    case QEvent::Drop:
        if (listViewport || treeViewport) {
            auto* drop = static_cast<QDropEvent*>(event);
            if (DropAt(widget, drop->position().toPoint(), drop->mimeData()))
                drop->acceptProposedAction();
            else
                drop->ignore();
            return true;
        }
        break;
    default: break;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------- copy

void TfrmMain::CopyToPc()
{
    if (!debugMode_ && !EnsureDevice())
        return;
    if (itemCount_ == 0)
        return;
    QTreeWidgetItem* node = tree_->currentItem();
    if (node == nullptr)
        return;
    const QString chosen = pickFolder(QString::fromStdString(saveFolder_), Text("LB_SELFLDR"));
    if (chosen.isEmpty())
        return;
    std::string dest = chosen.toStdString();
    if (dest.empty() || dest.back() != '/')
        dest += "/";

    session_->thread.WaitDone();
    CardCopier copier(*session_);
    copier.CopyDest = dest;
    copier.CopyTotal = 0;
    std::vector<const FindData*> selected;
    for (int r = 0; r < model_->rowCount(); ++r)
        if (details_->selectionModel()->isRowSelected(r, QModelIndex()))
            if (const FindData* e = EntryOf(model_->item(r, 0)))
                selected.push_back(e);
    if (copier.BuildCopyList(selected, NodePath(node))) {
        frmCopy_->ShowFolders(node->text(0), chosen);
        CenterOn(frmCopy_);
        frmCopy_->direction = 0;
        frmCopy_->show();
        session_->flags.copyCancel = false;
        session_->progressSink = progressSink_.get();
        copier.StartCopy();
        frmCopy_->close();
        session_->progressSink = nullptr;
        if (session_->CardStatus != ST_OK) {
            ShowError(session_->CardStatus, QString());
        } else {
            saveFolder_ = chosen.toStdString();
            while (saveFolder_.size() > 1 && saveFolder_.back() == '/')
                saveFolder_.pop_back();
            if (!copier.Skipped.empty()) {
                // Card names that cannot be PC names were left out: say which.
                QString names;
                for (const std::string& s : copier.Skipped)
                    names += "\nM:" + Utf8(s);
                messageBox(QMessageBox::Warning, QStringLiteral("ERROR") + names, QMessageBox::Ok);
            }
            openFolder(chosen);
        }
    } else if (session_->CardStatus == ST_TOOMANY) {
        ShowError(session_->CardStatus, QString());
    }
    copier.FreeCopyList();
}

// ---------------------------------------------------------------- drop

void TfrmMain::ClearDropHilite()
{
    if (dropHilite_ != nullptr && RowOf(reinterpret_cast<ListItem>(dropHilite_->data(kHandleRole).value<quintptr>())) >= 0)
        dropHilite_->setData(QVariant(), Qt::BackgroundRole);
    dropHilite_ = nullptr;
}

int TfrmMain::DropHitTest(QWidget* viewport, const QPoint& pos)
{
    if (rootNode_ == nullptr || !isEnabled() || !writeEnabled_)
        return 0;
    if (viewport == tree_->viewport()) {
        QTreeWidgetItem* node = tree_->itemAt(pos);
        if (node == nullptr)
            return 0;
        if (tree_->currentItem() != node)
            tree_->setCurrentItem(node);
        dropFolder_ = NodePath(node);
        return 1;
    }
    auto* view = viewport == details_->viewport() ? static_cast<QAbstractItemView*>(details_)
                                                   : static_cast<QAbstractItemView*>(icons_);
    const QModelIndex index = view->indexAt(pos);
    QTreeWidgetItem* node = tree_->currentItem();
    if (node == nullptr)
        return 0;
    if (!index.isValid()) {
        ClearDropHilite();
        dropFolder_ = NodePath(node);
        return 1;
    }
    QStandardItem* item = model_->item(index.row(), 0);
    if (item == dropHilite_)
        return 1;
    ClearDropHilite();
    dropFolder_ = NodePath(node);
    const FindData* entry = EntryOf(item);
    if (entry != nullptr && entry->IsDirectory()) {
        item->setData(palette().highlight(), Qt::BackgroundRole);
        dropFolder_ += "\\" + item->data(kNameRole).toString().toStdString();
        dropHilite_ = item;
    }
    return 1;
}

bool TfrmMain::DropAt(QWidget* viewport, const QPoint& pos, const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls() || DropHitTest(viewport, pos) != 1)
        return false;
    std::vector<std::string> names;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            names.push_back(url.toLocalFile().toStdString());
    ClearDropHilite();
    if (names.empty())
        return false;
    dropNames_ = std::move(names);
    // The write starts after the drop has returned.
    QMetaObject::invokeMethod(this, &TfrmMain::WriteDroppedFiles, Qt::QueuedConnection);
    return true;
}

void TfrmMain::WriteDroppedFiles()
{
    if (dropNames_.empty())
        return;
    if (!debugMode_ && !EnsureDevice()) {
        dropNames_.clear();
        return;
    }
    session_->thread.WaitDone();
    CardWriter writer(*session_);
    const std::vector<std::string> names = std::move(dropNames_);
    dropNames_.clear();
    if (!writer.BuildWriteList(names, dropFolder_)) {
        writer.FreeWriteList();
        if (session_->CardStatus == ST_TOOMANY)
            ShowError(session_->CardStatus, QString());
        return;
    }
    frmCopy_->ShowFolders(QString(), Utf8(dropFolder_));
    CenterOn(frmCopy_);
    frmCopy_->direction = 1;
    frmCopy_->show();
    session_->flags.copyCancel = false;
    session_->progressSink = progressSink_.get();
    writer.StartWrite();
    frmCopy_->close();
    session_->progressSink = nullptr;
    writer.FreeWriteList();
    if (session_->CardStatus == ST_OK)
        FillList(tree_->currentItem());
    else
        ShowError(session_->CardStatus, QString());
}

// ---------------------------------------------------------------- diagnostics, help, About

void TfrmMain::LoadDummyFiles()
{
    session_->thread.WaitDone();
    ClearList();
    CardLister lister(*session_);
    lister.LoadDummyCard();
    session_->volumeLabel.clear();
    BuildRoot();
    BuildTree(rootNode_);
    tree_->setCurrentItem(rootNode_);
    FillList(rootNode_);
    mnuDummy_->setChecked(true);
    dummyMode_ = true;
    session_->dummyMode = true;
}

void TfrmMain::ShowHelp()
{
    if (help_ == nullptr) {
        help_ = new HelpWindow(this);
        help_->LoadFile(programPath_ + HelpFile::FileNameFor(lang_.LanguageId()));
    }
    help_->ShowKeyword(QString());
}

void TfrmMain::ShowAbout()
{
    if (about_ == nullptr)
        return;
    CenterOn(about_);
    about_->exec();
}

// ---------------------------------------------------------------- card editing

bool TfrmMain::CardLocked() const
{
    return ope_ != nullptr && (ope_->status()[1] & 0x04) != 0;
}

void TfrmMain::ListContextMenu(const QPoint& pos)
{
    auto* view = qobject_cast<QAbstractItemView*>(sender());
    if (view == nullptr)
        return;
    const QModelIndex index = view->indexAt(pos);
    clickedItem_ = index.isValid() ? model_->item(index.row(), 0) : nullptr;
    const QPoint global = view->viewport()->mapToGlobal(pos);
    if (clickedItem_ != nullptr && writeEnabled_ && !CardLocked() &&
        details_->selectionModel()->isRowSelected(index.row(), QModelIndex())) {
        pmFile_->popup(global);
        return;
    }
    N9_->setVisible(writeEnabled_ && !CardLocked());
    pmMakeDir_->setVisible(writeEnabled_ && !CardLocked());
    pmMakeDir_->setEnabled(tree_->currentItem() != nullptr);
    pmLV_->popup(global);
}

void TfrmMain::TreeContextMenu(const QPoint& pos)
{
    QTreeWidgetItem* node = tree_->itemAt(pos);
    if (node == nullptr)
        return;
    tree_->setCurrentItem(node);
    if (!writeEnabled_ || CardLocked())
        return;
    pmDelTV_->setEnabled(node != rootNode_);
    pmRenTV_->setEnabled(node != rootNode_);
    pmTV_->popup(tree_->viewport()->mapToGlobal(pos));
}

bool TfrmMain::CheckCardName(const std::string& name, const QStandardItem* exclude)
{
    std::vector<std::string> shown;
    for (int r = 0; r < model_->rowCount(); ++r)
        if (model_->item(r, 0) != exclude)
            shown.push_back(model_->item(r, 0)->data(kNameRole).toString().toStdString());
    QString message;
    switch (CardNameCheck::Check(name, shown)) {
    case CardNameCheck::Ok: return true;
    case CardNameCheck::BadLength: message = Text("MSG_WLEN"); break;
    case CardNameCheck::BadChars:
        message = Text("MSG_WCHAR") + "\n       " + QString::fromLatin1(CardNameCheck::kRefusedChars);
        break;
    case CardNameCheck::Duplicate: message = Text("MSG_OWN"); break;
    }
    messageBox(QMessageBox::Critical, message, QMessageBox::Ok);
    return false;
}

bool TfrmMain::AskReadOnlyRename(const FindData* entry)
{
    if (entry == nullptr || (entry->dwFileAttributes & platform::FILE_ATTRIBUTE_READONLY) == 0)
        return true;
    const QString text = Text("MSG_RODEL1") + Utf8(entry->cFileName) + Text("MSG_ROREN2");
    return messageBox(QMessageBox::Question, text, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

void TfrmMain::RenameListItem(QStandardItem* item)
{
    if (item == nullptr)
        return;
    creatingFolder_ = false;
    clickedItem_ = item;
    listStack_->currentWidget()->setFocus();
    static_cast<QAbstractItemView*>(listStack_->currentWidget())->edit(item->index());
}

void TfrmMain::ListEdited(QStandardItem* item, const QString& text)
{
    if (item == nullptr)
        return;
    const std::string oldName = item->data(kNameRole).toString().toStdString();
    std::string name = Cp932(text);
    // Only the item being made is a new folder; any other item is renamed.
    const bool creating = creatingFolder_ && item == clickedItem_;
    if (name == oldName && !creating) {
        SetItemText(item, oldName);
        return;
    }
    name = CardNameCheck::Upper(name);
    settingText_ = true;
    item->setText(Utf8(name));  // the item shows the upper-case text
    settingText_ = false;
    // A new folder's own item is no duplicate of the name it gets.
    if (!CheckCardName(name, creating ? item : nullptr)) {
        if (creating)
            timer2_->start();
        else
            SetItemText(item, oldName);
        return;
    }
    if (creating) {
        CreateFolder(name);
        return;
    }
    // A name that is not one card path component ("A\B" on a damaged card)
    // would make the rename reach another entry: such an entry keeps its name.
    if (cardpath::IsUnsafeName(oldName)) {
        QApplication::beep();
        SetItemText(item, oldName);
        return;
    }
    FindData* entry = const_cast<FindData*>(EntryOf(item));
    if (!AskReadOnlyRename(entry)) {
        SetItemText(item, oldName);
        return;
    }
    if (!RenameOnCard(NodePath(tree_->currentItem()) + "\\", oldName, name)) {
        SetItemText(item, oldName);
        return;
    }
    if (entry != nullptr)
        entry->cFileName = name;
    SetItemText(item, name);
    if (entry != nullptr && entry->IsDirectory())
        if (QTreeWidgetItem* child = FindChildNode(oldName))
            SetNodeText(child, name);
}

void TfrmMain::TreeEdited(QTreeWidgetItem* node, const QString& text)
{
    if (node == nullptr || node == rootNode_)
        return;
    const std::string oldName = node->data(0, kNameRole).toString().toStdString();
    std::string name = Cp932(text);
    if (name == oldName) {
        SetNodeText(node, oldName);
        return;
    }
    name = CardNameCheck::Upper(name);
    if (tree_->currentItem() != node)
        tree_->setCurrentItem(node);
    if (!CheckCardName(name)) {
        SetNodeText(node, oldName);
        return;
    }
    if (cardpath::IsUnsafeName(oldName)) {
        QApplication::beep();
        SetNodeText(node, oldName);
        return;
    }
    if (!AskReadOnlyRename(FindEntryInParent(oldName))) {
        SetNodeText(node, oldName);
        return;
    }
    if (!RenameOnCard(NodePath(node->parent()) + "\\", oldName, name)) {
        SetNodeText(node, oldName);
        return;
    }
    SetNodeText(node, name);
}

bool TfrmMain::RenameOnCard(const std::string& parent, const std::string& oldName, const std::string& name)
{
    session_->thread.WaitDone();
    session_->flags.waitAbort = false;
    frmWait_->ShowWait(this, QString(), false, false);
    editor_->StartRename(parent + oldName, parent + name);
    frmWait_->CloseIfVisible();
    if (session_->CardStatus != ST_OK) {
        ShowError(session_->CardStatus, QString());
        return false;
    }
    session_->folders.ApplyRename(parent, oldName, name);
    return true;
}

QTreeWidgetItem* TfrmMain::FindChildNode(const std::string& name) const
{
    QTreeWidgetItem* node = tree_->currentItem();
    if (node == nullptr)
        return nullptr;
    for (int i = 0; i < node->childCount(); ++i)
        if (node->child(i)->data(0, kNameRole).toString().toStdString() == name)
            return node->child(i);
    return nullptr;
}

FindData* TfrmMain::FindEntryInParent(const std::string& name)
{
    QTreeWidgetItem* node = tree_->currentItem();
    if (node == nullptr || node->parent() == nullptr)
        return nullptr;
    auto* record = reinterpret_cast<CardFolder*>(node->parent()->data(0, kEntryRole).value<quintptr>());
    const int index = CardFolders::IndexInFolder(record, "\\" + name);
    return record != nullptr && index >= 0 ? record->entries[static_cast<size_t>(index)].get() : nullptr;
}

void TfrmMain::DeleteFromList()
{
    QList<int> rows;
    for (const QModelIndex& i : details_->selectionModel()->selectedRows())
        rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    if (rows.isEmpty() && clickedItem_ != nullptr)
        rows.push_back(clickedItem_->row());
    if (rows.isEmpty())
        return;
    QString question;
    if (rows.size() <= 1) {
        QStandardItem* item = clickedItem_ != nullptr ? clickedItem_ : model_->item(rows.front(), 0);
        question = Text("MSG_DEL1") + item->text() + Text("MSG_DEL2");
    } else {
        question = Text("MSG_DELOBJ1") + QString::number(rows.size()) + Text("MSG_DELOBJ2");
    }
    if (messageBox(QMessageBox::Question, question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    session_->thread.WaitDone();
    CardEditor& editor = *editor_;
    editor.ClearDelList();
    std::vector<CardEditor::ListSelection> selection;
    for (int r : rows) {
        QStandardItem* item = model_->item(r, 0);
        selection.push_back({reinterpret_cast<ListItem>(item->data(kHandleRole).value<quintptr>()), EntryOf(item)});
    }
    if (editor.BuildDelListFromList(selection, NodePath(tree_->currentItem())))
        editor.StartDelete();
    else if (session_->CardStatus == ST_TOOMANY)
        ShowError(session_->CardStatus, QString());
}

void TfrmMain::DeleteFromTree()
{
    QTreeWidgetItem* node = tree_->currentItem();
    if (node == nullptr || node == rootNode_)
        return;
    const QString question = Text("MSG_DEL1") + node->text(0) + Text("MSG_DEL2");
    if (messageBox(QMessageBox::Question, question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    session_->thread.WaitDone();
    CardEditor& editor = *editor_;
    editor.ClearDelList();
    const auto handle = reinterpret_cast<TreeNode>(node->data(0, kHandleRole).value<quintptr>());
    // The folder's item in the list of its parent is not shown now.
    if (editor.BuildDelListFromTree(NodePath(node), handle, nullptr)) {
        // The parent is shown while the folder goes.
        tree_->setCurrentItem(node->parent());
        ClearList();
        itemCount_ = 0;
        UpdateStatus();
        editor.StartDelete();
    } else if (session_->CardStatus == ST_TOOMANY) {
        ShowError(session_->CardStatus, QString());
    }
}

void TfrmMain::NewFolder()
{
    QTreeWidgetItem* node = tree_->currentItem();
    if (node == nullptr)
        return;
    platform::SystemTime now;
    platform::GetLocalTime(now);
    platform::SystemTimeToFileTime(now, newFolderTime_);
    platform::FileTimeToDosDateTime(newFolderTime_, newFolderTimes_[0], newFolderTimes_[1]);
    for (int i = 2; i < 6; i += 2) {
        newFolderTimes_[i] = newFolderTimes_[0];
        newFolderTimes_[i + 1] = newFolderTimes_[1];
    }
    auto entry = std::make_unique<FindData>();
    entry->dwFileAttributes = platform::FILE_ATTRIBUTE_DIRECTORY;
    entry->cFileName = "FOLDER";
    entry->ftCreationTime = entry->ftLastAccessTime = entry->ftLastWriteTime = newFolderTime_;
    QStandardItem* item = AddEntryItem(entry.get(), listtexts::FormatDate(newFolderTime_, QLocale::system()));
    scratch_.push_back(std::move(entry));
    creatingFolder_ = true;
    clickedItem_ = item;
    listStack_->currentWidget()->setFocus();
    auto* view = static_cast<QAbstractItemView*>(listStack_->currentWidget());
    view->scrollTo(item->index());
    view->edit(item->index());
}

void TfrmMain::CreateFolder(const std::string& name)
{
    QTreeWidgetItem* node = tree_->currentItem();
    if (node == nullptr)
        return;
    session_->thread.WaitDone();
    CardEditor& editor = *editor_;
    session_->flags.waitAbort = false;
    frmWait_->ShowWait(this, QString(), false, false);
    editor.StartMakeDir(NodePath(node) + "\\" + name, newFolderTimes_);
    frmWait_->CloseIfVisible();
    if (session_->CardStatus != ST_OK) {
        ShowError(session_->CardStatus, QString());
        timer2_->start();
        return;
    }
    AddFolderToModel(node, name, newFolderTime_);
}

void TfrmMain::AddFolderToModel(QTreeWidgetItem* node, const std::string& name, const platform::FileTime& time)
{
    auto* record = reinterpret_cast<CardFolder*>(node->data(0, kEntryRole).value<quintptr>());
    if (record == nullptr && node == rootNode_) {
        record = session_->folders.EnsureRoot();
        node->setData(0, kEntryRole, QVariant::fromValue(reinterpret_cast<quintptr>(record)));
    }
    if (clickedItem_ != nullptr)
        SetItemText(clickedItem_, name);
    if (record != nullptr) {
        const CardFolders::NewFolder made = session_->folders.AddFolder(*record, name, time);
        if (made.entry != nullptr && clickedItem_ != nullptr) {
            settingText_ = true;
            clickedItem_->setData(QVariant::fromValue(reinterpret_cast<quintptr>(made.entry)), kEntryRole);
            settingText_ = false;
            itemCount_ = record->count();
        }
        if (made.record != nullptr)
            InsertChildNode(node, name, made.record);
    }
    creatingFolder_ = false;
    UpdateStatus();
}

void TfrmMain::RemoveNewFolderItem()
{
    timer2_->stop();
    if (clickedItem_ != nullptr && creatingFolder_) {
        const int row = RowOf(reinterpret_cast<ListItem>(clickedItem_->data(kHandleRole).value<quintptr>()));
        if (row >= 0) {
            settingText_ = true;
            model_->removeRow(row);
            settingText_ = false;
        }
        clickedItem_ = nullptr;
    }
    creatingFolder_ = false;
}

// ---------------------------------------------------------------- the card threads' view changes

TreeNode TfrmMain::AddFolderNode(CardFolder& parent, CardFolder& record)
{
    QTreeWidgetItem* parentNode = NodeOf(parent.node);
    if (parentNode == nullptr && parent.level == 0)
        parentNode = rootNode_;
    if (parentNode == nullptr)
        return nullptr;
    const std::string path = record.path;
    const size_t cut = path.rfind('\\');
    const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    QTreeWidgetItem* node = InsertChildNode(parentNode, name, &record);
    return node == nullptr ? nullptr : reinterpret_cast<TreeNode>(node->data(0, kHandleRole).value<quintptr>());
}

void TfrmMain::RemoveListItem(ListItem item)
{
    const int row = RowOf(item);
    if (row < 0)
        return;
    if (model_->item(row, 0) == clickedItem_)
        clickedItem_ = nullptr;
    if (model_->item(row, 0) == dropHilite_)
        dropHilite_ = nullptr;
    settingText_ = true;
    model_->removeRow(row);
    settingText_ = false;
    if (itemCount_ > 0)
        --itemCount_;
    UpdateStatus();
}

void TfrmMain::RemoveTreeNode(TreeNode handle)
{
    QTreeWidgetItem* node = NodeOf(handle);
    if (node == nullptr || node == rootNode_)
        return;
    // When the folder shown in the list goes, its parent is shown instead.
    for (QTreeWidgetItem* n = tree_->currentItem(); n != nullptr; n = n->parent())
        if (n == node) {
            tree_->setCurrentItem(node->parent());
            break;
        }
    ForgetNodes(node);
    delete node;
}

void TfrmMain::Apply(const std::function<void()>& change)
{
    if (invoker_->OnUiThread())
        change();
    else
        invoker_->Send(change);
}

}  // namespace talvix::ui
