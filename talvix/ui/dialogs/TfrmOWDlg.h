#pragma once
#include <QDialog>

#include <string>

#include "platform/FindData.h"
#include "talvix/cardops/OverwriteAsker.h"

class QLabel;
class QPushButton;

namespace talvix {
class MLang;
}

namespace talvix::ui {

// The overwrite question ("frmOWDlg"): shows the entry that exists and the
// one that would replace it and offers Yes, Yes to all, No and Cancel.
//
// The list builders call ShowExisting, ShowIcon and ShowReplacement, then
// ShowModal, then read OverwriteAnswer. Runs on the UI thread only; a worker
// asks through DialogOverwriteAsker.
class TfrmOWDlg : public QDialog {
    Q_OBJECT
public:
    // Where an entry lives: PC entries carry UTC times and native UTF-8
    // paths; card entries carry the card's local times and CP932 paths with
    // "\" separators.
    enum class Side { Pc, Card };

    // Design client size; the two form heights below count a title bar of
    // kTitleBar pixels, so the file form has the design client height.
    static constexpr int kClientWidth = 487;
    static constexpr int kDesignClientHeight = 210;
    static constexpr int kTitleBar = 30;
    static constexpr int kFileFormHeight = 240;
    static constexpr int kFolderFormHeight = 153;

    // `mainWindow` is the window the dialog is centred on when it is shown
    // (null: the screen) and its parent.
    TfrmOWDlg(const MLang& lang, QWidget* mainWindow);

    // The existing entry: `name` is its full name (PC destination path, or
    // relative card path). Chooses the folder or the file form.
    void ShowExisting(const std::string& name, const platform::FindData& entry, Side side);
    // The icon of the file at `path` (a PC path) in both detail images.
    void ShowIcon(const std::string& path);
    // The entry that would replace the existing one.
    void ShowReplacement(const std::string& name, const platform::FindData& entry, Side side);

    // Shows the dialog modally and returns OverwriteAnswer.
    int ShowModal();

    // The three calls and ShowModal for one question of a list builder.
    OverwriteAsker::Answer Ask(const OverwriteQuestion& question);

    // 0 Cancel (or closed any other way), 1 Yes, 2 Yes to all, 3 No.
    // Kept between showings; only the builders and the showing change it.
    int OverwriteAnswer = 1;

    bool FolderFlag() const { return folder_; }
    // Form height as the design counts it (153 or 240).
    int FormHeight() const { return formHeight_; }

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void AnswerWith(int tag);
    QString Text(const char* key) const;
    QString SizeText(const platform::FindData& entry) const;
    QString DateText(const platform::FindData& entry, Side side) const;

    const MLang& lang_;
    QWidget* mainWindow_;
    bool folder_ = false;
    int formHeight_ = kFileFormHeight;
    int yesLeft_ = 0;  // design positions of Yes and No
    int noLeft_ = 0;

    QLabel* lblMsg_;
    QLabel* imgIcon_;
    QLabel* imgFile_;
    QLabel* imgFolder_;
    QLabel* lblExFile_;
    QLabel* imgIcon1_;
    QLabel* lblExSize_;
    QLabel* lblExDate_;
    QLabel* lblRepFile_;
    QLabel* imgIcon2_;
    QLabel* lblRepSize_;
    QLabel* lblRepDate_;
    QLabel* lblFolder1_;
    QLabel* lblFolder2_;
    QLabel* lblFolder3_;
    QPushButton* btnYes_;
    QPushButton* btnAll_;
    QPushButton* btnNo_;
    QPushButton* btnCancel_;
};

}  // namespace talvix::ui
