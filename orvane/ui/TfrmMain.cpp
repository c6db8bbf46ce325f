#include "orvane/ui/TfrmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include "imaging/NoCasePath.h"
#include "orvane/title/TitleFiles.h"
#include "orvane/ui/FocusSounds.h"
#include "orvane/ui/MenuArt.h"
#include "orvane/ui/TImage.h"
#include "orvane/ui/TfrmOWM.h"
#include "platform/IniFile.h"
#include "talvix/settings/FileName.h"

namespace orvane {

namespace {

const QString kAppTitle = QStringLiteral("Orvane");
const char* const kExeFilter = "*.exe";
const char* const kTitleFilter = "frame*.jpg";
const char* const kSection = "Exefile";
const char* const kAlbumSection = "Gallo";

QString Q(const std::string& s)
{
    return QString::fromStdString(s);
}

std::string S(const QString& s)
{
    return s.toStdString();
}

// The wait cursor for the length of a scope.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { Restore(); }
    void Restore()
    {
        if (active_) {
            QApplication::restoreOverrideCursor();
            active_ = false;
        }
    }

private:
    bool active_ = true;
};

int VirtualKeyOf(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Escape: return MenuModel::VK_ESCAPE;
    case Qt::Key_Return:
    case Qt::Key_Enter: return MenuModel::VK_RETURN;
    case Qt::Key_Right: return MenuModel::VK_RIGHT;
    case Qt::Key_Space: return MenuModel::VK_SPACE;
    case Qt::Key_Left: return MenuModel::VK_LEFT;
    case Qt::Key_Backspace: return MenuModel::VK_BACK;
    case Qt::Key_Up: return MenuModel::VK_UP;
    case Qt::Key_Down: return MenuModel::VK_DOWN;
    default: return 0;
    }
}

QMessageBox::StandardButton RunMessageBox(QWidget* parent, const TfrmMain::MessageRequest& r)
{
    QMessageBox box(r.icon, r.caption, r.text, r.buttons, parent);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

std::optional<QString> RunFileDialog(QWidget* parent, const TfrmMain::OpenRequest& r)
{
    QFileDialog dialog(parent, kAppTitle, r.initialFolder);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The pattern asked for first, then everything: programs on this
    // system rarely carry an extension, and names differ in letter case.
    QStringList patterns{r.filter};
    if (r.filter != r.filter.toUpper())
        patterns << r.filter.toUpper();
    dialog.setNameFilters({patterns.join(QLatin1Char(' ')), QStringLiteral("All files (*)")});
    QString suffix = r.defaultExt;
    const int dot = suffix.lastIndexOf(QLatin1Char('.'));
    dialog.setDefaultSuffix(dot >= 0 ? suffix.mid(dot + 1) : suffix);
    if (!r.fileName.isEmpty() && !r.fileName.contains(QLatin1Char('*')))
        dialog.selectFile(r.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

}  // namespace

TfrmMain::TfrmMain(OrvaneSetup setup, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      launcherFolder_(std::move(setup.launcherFolder)),
      stateFolder_(std::move(setup.stateFolder)),
      profile_(std::move(setup.profile)),
      registryPath_(std::move(setup.registryPath))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kAppTitle);
    if (stateFolder_.empty())
        stateFolder_ = launcherFolder_;

    itemNames_ = {"", "Gallo", "Rekam", "Edvo", "Title Screen Creation", "Title Screen Editing",
                  "Title Screen Transfer"};
    defaultPrograms_ = {"", "Gallo.exe", "rekam31.exe", "edvo20.exe"};
    defaultFolders_ = {"", "/Gallo", "", "/Edvo"};

    messageRunner_ = [this](const MessageRequest& r) { return RunMessageBox(this, r); };
    openRunner_ = [this](const OpenRequest& r) { return RunFileDialog(this, r); };

    FormCreate();
}

TfrmMain::~TfrmMain()
{
    // A program still running is left alone; its waiting thread is stopped.
    waitEnd_.reset();
}

void TfrmMain::FormCreate()
{
    imageOpe_ = std::make_unique<CImageOpe>();
    pnReg_ = std::make_unique<CPNReg>(registryPath_);
    sounds_ = new FocusSounds(this);

    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    QFont f(QStringLiteral("IPAPMincho"));
    f.setPixelSize(12);
    setFont(f);

    pnlbase = new QWidget(this);
    pnlbase->setObjectName(QStringLiteral("pnlbase"));
    pnlbase->setGeometry(0, 0, MenuArt::kPanelWidth, MenuArt::kPanelHeight);
    pnlbase->setPalette(pal);
    pnlbase->setAutoFillBackground(true);
    pnlbase->setMouseTracking(true);

    Image1 = new TImage(pnlbase);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->SetPicture(MenuArt::MenuPicture());
    Image1->move(0, 0);
    connect(Image1, &TImage::mouseMoved, this, &TfrmMain::FormMouseMove);
    connect(Image1, &TImage::mousePressed, this, [this](int x, int y) { Image1MouseDown(x, y, false); });

    static const char* const kHoverNames[7] = {"", "imgGallo", "imgCapt", "imgEdvo", "imgTiMake", "imgTiRev",
                                               "imgTiTrns"};
    for (int n = 1; n <= 6; ++n) {
        TImage* img = new TImage(pnlbase);
        img->setObjectName(QString::fromLatin1(kHoverNames[n]));
        img->SetPicture(MenuArt::HoverPicture(n));
        img->move(MenuArt::HoverRect(n).topLeft());
        img->hide();
        connect(img, &TImage::mousePressed, this, [this, n](int, int) {
            if (!Inert())
                LaunchItem(n);
        });
        hover_[size_t(n)] = img;
    }

    for (int n = 0; n <= 6; ++n)
        descriptions_[size_t(n)] = MenuArt::DescriptionPicture(n);
    imgExit_ = MenuArt::ExitPicture();

    imgText = new TImage(pnlbase);
    imgText->setObjectName(QStringLiteral("imgText"));
    imgText->move(MenuArt::kTextLeft, MenuArt::kTextTop);
    imgText->SetPicture(descriptions_[0]);
    connect(imgText, &TImage::mousePressed, this, [this](int x, int y) { Image1MouseDown(x, y, true); });

    imgMarlo = new TImage(pnlbase);
    imgMarlo->setObjectName(QStringLiteral("imgMarlo"));
    imgMarlo->SetPicture(MenuArt::MakerLogo());
    imgMarlo->move(38, 20);

    frmOWM_ = new TfrmOWM(this);

    // The whole screen.
    if (QScreen* screen = QApplication::primaryScreen())
        setGeometry(screen->geometry());

    int oem = 0;
    if (profile_.ReadInt("INIT", "OEM", oem) && oem != 0)
        imgMarlo->hide();
}

QPoint TfrmMain::PanelOrigin(const QSize& client)
{
    const int top = client.height() > MenuArt::kPanelHeight ? (client.height() - MenuArt::kPanelHeight) / 2 : 0;
    const int left = client.width() > MenuArt::kPanelWidth ? (client.width() - MenuArt::kPanelWidth) / 2 : 0;
    return {left, top};
}

void TfrmMain::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    pnlbase->move(PanelOrigin(size()));
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // FormShow, at every show (also when the menu comes back after a
    // program): the description area shows the welcome picture; the focus
    // and its hover picture stay as they were.
    imgText->SetPicture(descriptions_[0]);
    activateWindow();
    setFocus();
}

// ---- focus, keys, mouse ---------------------------------------------------

void TfrmMain::HideHover(int n)
{
    if (MenuModel::IsValidItem(n))
        hover_[size_t(n)]->hide();
}

void TfrmMain::SetFocusItem(int n)
{
    const int old = model_.focusItem();
    const MenuModel::FocusChange change = model_.SetFocusItem(n);
    if (!change.changed)
        return;
    HideHover(old);
    if (change.showItem != 0) {
        hover_[size_t(change.showItem)]->show();
        hover_[size_t(change.showItem)]->raise();
        imgText->SetPicture(descriptions_[size_t(change.showItem)]);
    }
    if (change.sound != 0)
        sounds_->Play(change.sound == 1 ? QStringLiteral("FOCUS1") : QStringLiteral("FOCUS2"));
}

void TfrmMain::FormMouseMove(int x, int y)
{
    if (Inert())
        return;
    for (int item : MenuModel::ZonesAt(x, y))
        SetFocusItem(item);
}

void TfrmMain::keyPressEvent(QKeyEvent* event)
{
    const int vk = VirtualKeyOf(event->key());
    if (vk == 0 || Inert()) {
        QWidget::keyPressEvent(event);
        return;
    }
    const MenuModel::KeyResult r = model_.OnKey(vk);
    switch (r.command) {
    case MenuModel::KeyCommand::Close: close(); break;
    case MenuModel::KeyCommand::Launch: LaunchItem(r.item); break;
    case MenuModel::KeyCommand::Focus: SetFocusItem(r.item); break;
    case MenuModel::KeyCommand::None: break;
    }
    event->accept();
}

void TfrmMain::Image1MouseDown(int x, int y, bool onText)
{
    if (Inert())
        return;
    if (onText) {
        x = MenuModel::TextToPanelX(x);
        y = MenuModel::TextToPanelY(y);
    }
    if (!MenuModel::IsExitPoint(x, y))
        return;
    // Show the pressed corner, let it paint, and close half a second later
    // without holding up the window thread meanwhile.
    exiting_ = true;
    imgText->SetPicture(imgExit_);
    imgText->repaint();
    QCoreApplication::processEvents();
    QTimer::singleShot(500, this, [this] {
        exiting_ = false;
        close();
    });
}

// ---- closing --------------------------------------------------------------

bool TfrmMain::FormCloseQuery()
{
    if (runningItem_ == 0)
        return true;
    Message(Q(itemNames_[size_t(runningItem_)]) + QStringLiteral(" is running.\n It isn't possible to exit."),
            QMessageBox::Critical);
    return false;
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    // FormClose: back to the normal state; the application ends with its main window.
    setWindowState(Qt::WindowNoState);
    event->accept();
}

// ---- starting programs ----------------------------------------------------

void TfrmMain::LaunchItem(int n)
{
    // Also refused while a start is under way: the start lets waiting
    // events through once the menu is hidden, before the item counts as
    // running.
    if (runningItem_ != 0 || starting_)
        return;
    switch (n) {
    case 1:
        // The user's albums go back into the organiser's registry first.
        pnReg_->DeleteAlbumKeys();
        if (ReadAlbumsFromIni())
            pnReg_->WriteAlbumKeys();
        StartItem1To3(n);
        break;
    case 2:
    case 3: StartItem1To3(n); break;
    case 4: TitleCreation(); break;
    case 5: TitleEditing(); break;
    case 6: TitleTransfer(); break;
    default: break;
    }
}

void TfrmMain::StartItem1To3(int n)
{
    LoadProgramPaths(n);
    if (StartProgram()) {
        runningItem_ = n;
        SaveProgramPaths(n);
    }
}

void TfrmMain::LoadProgramPaths(int n)
{
    if (n < 1 || n > 3)
        return;
    const std::string number = std::to_string(n);
    std::string value;
    programFile_ = profile_.ReadString(kSection, "PrgName" + number, value) ? value : defaultPrograms_[size_t(n)];
    workFolder_ = profile_.ReadString(kSection, "PathName" + number, value)
                      ? value
                      : launcherFolder_ + defaultFolders_[size_t(n)];
}

void TfrmMain::SaveProgramPaths(int n)
{
    if (n < 1 || n > 3)
        return;
    const std::string number = std::to_string(n);
    profile_.WriteString(kSection, "PrgName" + number, programFile_);
    profile_.WriteString(kSection, "PathName" + number, workFolder_);
}

bool TfrmMain::StartProgram()
{
    dlgOpen_.defaultExt = QString::fromLatin1(kExeFilter);
    dlgOpen_.filter = QString::fromLatin1(kExeFilter);
    for (;;) {
        dlgOpen_.fileName = Q(programFile_);
        dlgOpen_.initialFolder = Q(workFolder_);
        ShellStarter::Result started = shell_.Start(programFile_, workFolder_);
        if (started.ok) {
            waitEnd_.reset();  // the previous waiting thread has finished its work
            starting_ = true;
            hide();
            QCoreApplication::processEvents();
            starting_ = false;
            waitEnd_ = std::make_unique<WaitEnd>(std::move(started.process), [this](std::function<void()> done) {
                // A synchronous send: the waiting thread stays blocked until
                // ProgramEnded has run on the window thread.
                QMetaObject::invokeMethod(
                    this,
                    [this, done] {
                        ProgramEnded();
                        done();
                    },
                    Qt::QueuedConnection);
            });
            return true;
        }
        const std::optional<QString> chosen = RunOpen(dlgOpen_);
        if (!chosen)
            return false;
        QCoreApplication::processEvents();
        programFile_ = talvix::FileName::GetFileName(S(*chosen));
        workFolder_ = talvix::FileName::GetDir(S(*chosen));
    }
}

void TfrmMain::ProgramEnded()
{
    const int item = runningItem_;
    show();
    switch (item) {
    case 1:
        if (pnReg_->ReadAlbumKeys() > 0)
            SaveAlbumsToIni();
        break;
    case 4: AfterTitleCreation(); break;
    case 5: AfterTitleEditing(); break;
    default: break;
    }
    runningItem_ = 0;
    emit programEnded(item);
}

// ---- dialogs --------------------------------------------------------------

QMessageBox::StandardButton TfrmMain::Message(const QString& text, QMessageBox::Icon icon,
                                              QMessageBox::StandardButtons buttons)
{
    MessageRequest r;
    r.caption = kAppTitle;
    r.text = text;
    r.icon = icon;
    r.buttons = buttons;
    return messageRunner_(r);
}

void TfrmMain::ShowError(const std::string& text)
{
    Message(Q(text), QMessageBox::Critical);
}

std::optional<QString> TfrmMain::RunOpen(const OpenRequest& request)
{
    return openRunner_(request);
}

// ---- title-screen tool -----------------------------------------------------

std::string TfrmMain::TitleBasePath() const
{
    return stateFolder_ + "/TitleBase.bmp";
}

std::string TfrmMain::TitleFolder() const
{
    // The organiser may have made the folder in another letter case.
    return imaging::FindExistingPath(workFolder_ + "/TITLE");
}

bool TfrmMain::ReadAlbumsFromIni()
{
    int count = 0;
    if (!profile_.ReadInt(kAlbumSection, "Album", count) || count < 0)
        return false;
    pnReg_->ClearAlbums();
    // The registry holds at most 100 albums; further entries are not read.
    count = std::min(count, CPNReg::kMaxAlbums);
    // The three texts may be empty (an album without a cover): an empty value
    // is kept as empty, only a missing key breaks the list.
    const platform::IniFile ini(SettingsReadPath());
    for (int i = 0; i < count; ++i) {
        const std::string index = std::to_string(i);
        int number = 0;
        tagXX album;
        if (!profile_.ReadInt(kAlbumSection, "Number" + index, number))
            return false;
        album.albumNumber = static_cast<uint8_t>(number & 0xFF);
        if (album.albumNumber >= CPNReg::kMaxAlbums)
            return false;
        const auto readText = [&](const std::string& key, std::string& text) {
            return profile_.ReadString(kAlbumSection, key, text) || ini.ReadString(kAlbumSection, key, text);
        };
        if (!readText("Dir" + index, album.coverDir) || !readText("FileName" + index, album.coverFileName) ||
            !readText("Title" + index, album.coverTitle))
            return false;
        pnReg_->AddAlbum(album);
    }
    return true;
}

std::string TfrmMain::SettingsReadPath() const
{
    // The settings are read from the user's own file; while there is none
    // yet, from the copy that came with the program.
    const std::string& own = profile_.settingsPath();
    if (talvix::FileName::FileExists(own))
        return own;
    const std::string shipped = profile_.programFolder() + "/" + talvix::FileName::GetFileName(own);
    return shipped != own && talvix::FileName::FileExists(shipped) ? shipped : own;
}

void TfrmMain::SaveAlbumsToIni()
{
    // The whole list in one rewrite of the settings file. A text the file
    // cannot hold (a line break) is left out alone, as a refused single
    // write would be; everything else is still written.
    std::vector<platform::IniChange> changes;
    const auto add = [&changes](const std::string& key, const std::string& value) {
        platform::IniChange change = platform::IniChange::Write(kAlbumSection, key, value);
        if (platform::IniFile::Storable(change))
            changes.push_back(std::move(change));
    };
    add("Album", std::to_string(pnReg_->albumCount()));
    for (int i = 0; i < pnReg_->albumCount(); ++i) {
        const tagXX& a = pnReg_->albums()[size_t(i)];
        const std::string index = std::to_string(i);
        add("Number" + index, std::to_string(a.albumNumber));
        add("Dir" + index, a.coverDir);
        add("FileName" + index, a.coverFileName);
        add("Title" + index, a.coverTitle);
    }
    profile_.WriteMany(changes);
}

void TfrmMain::TitleCreation()
{
    workFolder_ = launcherFolder_;
    TitleFiles::WriteBlankTitle(TitleBasePath());
    programFile_ = TitleBasePath();
    if (StartProgram())
        runningItem_ = 4;
}

void TfrmMain::AfterTitleCreation()
{
    const QMessageBox::StandardButton answer =
        Message(QStringLiteral("Convert saved image to a Title Image?") +
                    QStringLiteral("\nIf you don't save, the Title Image is lost."),
                QMessageBox::Question, QMessageBox::Yes | QMessageBox::No);
    if (answer == QMessageBox::Yes) {
        QCoreApplication::processEvents();
        SaveTitleImage(true);
    }
}

void TfrmMain::TitleEditing()
{
    LoadProgramPaths(1);
    dlgOpen_.defaultExt = QString::fromLatin1(kTitleFilter);
    dlgOpen_.filter = QString::fromLatin1(kTitleFilter);
    dlgOpen_.fileName = QString::fromLatin1(kTitleFilter);
    dlgOpen_.initialFolder = Q(TitleFolder());
    const std::optional<QString> chosen = RunOpen(dlgOpen_);
    if (!chosen)
        return;
    QCoreApplication::processEvents();
    selectedTitle_ = S(*chosen);
    if (!MakeWorkingTitle())
        return;
    workFolder_ = launcherFolder_;
    programFile_ = TitleBasePath();
    if (StartProgram())
        runningItem_ = 5;
}

void TfrmMain::AfterTitleEditing()
{
    frmOWM_->setWindowTitle(kAppTitle);
    frmOWM_->Msg->setText(QStringLiteral("Save changes to the Title Image?"));
    frmOWM_->exec();
    QCoreApplication::processEvents();
    if (frmOWM_->cancelled)
        return;
    SaveTitleImage(!frmOWM_->overwrite);
}

void TfrmMain::TitleTransfer()
{
    pnReg_->DeleteAlbumKeys();
    pnReg_->WriteTitleAlbum();
    LoadProgramPaths(1);
    if (StartProgram()) {
        runningItem_ = 6;
        SaveProgramPaths(1);
    }
}

bool TfrmMain::MakeWorkingTitle()
{
    WaitCursor cursor;
    if (!imageOpe_->Load(selectedTitle_)) {
        cursor.Restore();
        ShowError(selectedTitle_ + "\nImage could not be loaded.");
        return false;
    }
    const std::string base = TitleBasePath();
    if (!imageOpe_->SaveBmp(base, 24)) {
        cursor.Restore();
        ShowError(base + "\nImage could not be saved.");
        return false;
    }
    return true;
}

void TfrmMain::SaveTitleImage(bool asNew)
{
    WaitCursor cursor;
    LoadProgramPaths(1);
    const std::string titleFolder = TitleFolder();
    if (!talvix::FileName::CheckPath(titleFolder + "/", true)) {
        cursor.Restore();
        ShowError(titleFolder + "\nFolder could not be made.");
        return;
    }
    const std::string base = TitleBasePath();
    const std::string target = asNew ? TitleFiles::NextFreeFrameName(titleFolder + "/FRAME000.jpg") : selectedTitle_;
    if (!imageOpe_->Load(base)) {
        cursor.Restore();
        ShowError(base + "\nImage could not be loaded.");
        return;
    }
    if (!imageOpe_->SaveJpeg(target, 100)) {
        cursor.Restore();
        ShowError(target + "\nImage could not be saved.");
        return;
    }
    // A thumbnail the organiser wrote as ".TBM" is replaced, not doubled.
    const std::string thumb = imaging::FindExistingPath(TitleFiles::ThumbnailPathOf(target));
    imageOpe_->Resize(100, 75);
    if (!imageOpe_->SaveBmp(thumb, 24)) {
        cursor.Restore();
        ShowError(thumb + "\nImage could not be saved.");
        return;
    }
    cursor.Restore();
    Message(QStringLiteral("Title Image was saved as ") + Q(talvix::FileName::GetBaseName(thumb)), QMessageBox::NoIcon);
}

}  // namespace orvane
