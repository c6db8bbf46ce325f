#pragma once
#include <QMessageBox>
#include <QPixmap>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "orvane/launch/MenuModel.h"
#include "orvane/launch/ShellStarter.h"
#include "orvane/launch/WaitEnd.h"
#include "orvane/title/CImageOpe.h"
#include "orvane/title/CPNReg.h"
#include "talvix/settings/CProfile.h"

namespace orvane {

class FocusSounds;
class TImage;
class TfrmOWM;

// Where the launcher finds and keeps its things.
struct OrvaneSetup {
    std::string launcherFolder;  // folder of the launcher's executable
    std::string stateFolder;     // where it writes the working title bitmap
    talvix::CProfile profile;    // "orh10.ini"
    std::string registryPath;    // the machine registry store; empty: the default one
};

// The launcher's full-screen menu: a black window with the 640x480 menu in
// its middle. It starts the suite's programs and the title-screen actions,
// hides itself while one runs and comes back when it ends.
class TfrmMain : public QWidget {
    Q_OBJECT
public:
    static constexpr int WM_PROGRAM_ENDED = 1024 + 103;

    // A message box as the launcher shows it (caption: the application title).
    struct MessageRequest {
        QString caption;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    };
    using MessageRunner = std::function<QMessageBox::StandardButton(const MessageRequest&)>;

    // The file-open dialog `dlgOpen`.
    struct OpenRequest {
        QString defaultExt;
        QString filter;
        QString fileName;
        QString initialFolder;
    };
    using OpenRunner = std::function<std::optional<QString>(const OpenRequest&)>;

    explicit TfrmMain(OrvaneSetup setup, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Menu operations.
    void LaunchItem(int n);
    void SetFocusItem(int n);
    void HideHover(int n);
    void LoadProgramPaths(int n);
    void SaveProgramPaths(int n);
    bool StartProgram();
    // The end of a started program (WM_PROGRAM_ENDED), on the window thread.
    void ProgramEnded();

    // Title-screen tool.
    bool ReadAlbumsFromIni();
    void SaveAlbumsToIni();
    bool MakeWorkingTitle();
    void SaveTitleImage(bool asNew);
    std::string TitleBasePath() const;

    // Mouse handlers, in panel coordinates (FormMouseMove) or in the
    // coordinates of the clicked control.
    void FormMouseMove(int x, int y);
    void Image1MouseDown(int x, int y, bool onText);

    // Replaceable dialogs (tests put their own here).
    void SetMessageRunner(MessageRunner runner) { messageRunner_ = std::move(runner); }
    void SetOpenRunner(OpenRunner runner) { openRunner_ = std::move(runner); }

    // Centre of a client area for the 640x480 panel.
    static QPoint PanelOrigin(const QSize& client);

    // State, for the title tool and for tests.
    int focusItem() const { return model_.focusItem(); }
    int runningItem() const { return runningItem_; }
    const std::string& programFile() const { return programFile_; }
    const std::string& workFolder() const { return workFolder_; }
    const std::string& selectedTitle() const { return selectedTitle_; }
    const std::string& launcherFolder() const { return launcherFolder_; }
    const std::string& itemName(int n) const { return itemNames_[static_cast<size_t>(n)]; }
    talvix::CProfile& profile() { return profile_; }
    CPNReg& albumRegistry() { return *pnReg_; }
    CImageOpe& imageOpe() { return *imageOpe_; }
    FocusSounds& sounds() { return *sounds_; }
    TfrmOWM* frmOWM() { return frmOWM_; }
    TImage* hoverImage(int n) const { return MenuModel::IsValidItem(n) ? hover_[size_t(n)] : nullptr; }
    const QPixmap& descriptionPicture(int n) const { return descriptions_[size_t(n)]; }
    const QPixmap& exitPicture() const { return imgExit_; }
    bool exiting() const { return exiting_; }

    QWidget* pnlbase = nullptr;
    TImage* Image1 = nullptr;
    TImage* imgText = nullptr;
    TImage* imgMarlo = nullptr;

signals:
    // After ProgramEnded has run for `item`.
    void programEnded(int item);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    bool FormCloseQuery();
    void StartItem1To3(int n);
    void TitleCreation();
    void TitleEditing();
    void TitleTransfer();
    void AfterTitleCreation();
    void AfterTitleEditing();
    QMessageBox::StandardButton Message(const QString& text, QMessageBox::Icon icon,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok);
    void ShowError(const std::string& text);
    std::optional<QString> RunOpen(const OpenRequest& request);
    std::string TitleFolder() const;
    // The file the settings are read from (a missing file of the user's
    // own reads from the copy shipped with the program).
    std::string SettingsReadPath() const;

    std::string launcherFolder_;
    std::string stateFolder_;
    talvix::CProfile profile_;
    std::string registryPath_;

    MenuModel model_;
    int runningItem_ = 0;
    std::string programFile_;
    std::string workFolder_;
    std::string selectedTitle_;
    std::array<std::string, 7> itemNames_;
    std::array<std::string, 4> defaultPrograms_;
    std::array<std::string, 4> defaultFolders_;
    OpenRequest dlgOpen_;

    std::unique_ptr<CImageOpe> imageOpe_;
    std::unique_ptr<CPNReg> pnReg_;
    ShellStarter shell_;
    std::unique_ptr<WaitEnd> waitEnd_;

    std::array<TImage*, 7> hover_{};
    std::array<QPixmap, 7> descriptions_;  // 0: imgMN, 1..6: the items' pictures
    QPixmap imgExit_;
    FocusSounds* sounds_ = nullptr;
    TfrmOWM* frmOWM_ = nullptr;
    // The menu takes no input while it is on its way out (the exit pause) or
    // is being hidden for a program that has just started; input that was
    // waiting by then was meant for the menu as it was.
    bool Inert() const { return exiting_ || starting_; }
    bool exiting_ = false;
    bool starting_ = false;

    MessageRunner messageRunner_;
    OpenRunner openRunner_;
};

}  // namespace orvane
