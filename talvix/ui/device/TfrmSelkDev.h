#pragma once
#include <QDialog>
#include <array>
#include <span>

#include "DeviceEntry.h"
#include "talvix/filexfer/DeviceSelection.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QPushButton;
class QTableWidget;
class QFrame;

namespace talvix {
class CSelkIO;
class CSelkReg;
class MLang;
class SelkSys;
}  // namespace talvix

namespace talvix::ui {

class WaitView;

// The device selection dialog (frmSelkDev): serial port, scan of the SELK
// bus, the device to work with, ID change, transfer rate. It also holds, for
// the whole run, the device list and the current device that the main window
// checks before card work and the file-transfer layer reads.
//
// Grid rows are counted as the dialog's users know them: row 0 is the
// heading row (the table's horizontal header), row 1 stands for "no device"
// (table row 0), rows 2.. are the answered devices (table rows 1..).
//
// Everything runs on the UI thread; serial waits run the event loop through
// the installed pump hook, and the dialog refuses input while it talks to
// the line.
class TfrmSelkDev : public QDialog, public DeviceSelection {
    Q_OBJECT
public:
    static constexpr int kMaxDevices = 100;

    TfrmSelkDev(const MLang& lang, CSelkIO& io, SelkSys& sys, CSelkReg& reg, QWidget* parent = nullptr);
    ~TfrmSelkDev() override;

    // Where the scan shows its progress (the program's wait dialog). Without
    // one the dialog uses a small wait window of its own.
    void SetWaitView(WaitView* wait) { wait_ = wait; }

    // Reads the registry values, opens the saved port and re-checks the
    // committed devices; the working list becomes a copy of the committed one.
    // True when a port is open afterwards.
    bool LoadDevices();
    // Asks every committed device whether it answers (switching it on) and
    // rereads its record; the working list becomes a copy of the committed one.
    void RefreshDevices();
    // Index of the entry with this ID in the working list, -1 when absent.
    int IndexOfID(int id) const;

    // Centres the dialog over `over` and runs it modally; returns the
    // QDialog result (Accepted for OK).
    int ShowCentred(QWidget* over);

    // DeviceSelection.
    int CurrentDeviceID() const override { return currentId_; }
    int DeviceCount() const override { return committedCount_; }
    int TransferRate() const override { return rate_; }

    // The committed list (as last confirmed or loaded), with answered flags.
    std::span<const DeviceEntry> CommittedEntries() const
    {
        return std::span<const DeviceEntry>(committed_.data(), static_cast<size_t>(committedCount_));
    }
    // The working list the dialog shows.
    std::span<const DeviceEntry> WorkingEntries() const
    {
        return std::span<const DeviceEntry>(working_.data(), static_cast<size_t>(workingCount_));
    }
    // Whether the serial port is open.
    bool PortOpen() const;
    // Index and category of the current device as stored when the dialog
    // last closed (-1 and 0 when there was none).
    int CurrentIndex() const { return currentIndex_; }
    int CurrentCategory() const { return currentCategory_; }
    // True unless the dialog was last closed with OK.
    bool Cancelled() const { return cancelled_; }
    // True while the dialog talks to the line (scan, refresh, ID change).
    bool Busy() const { return busy_ > 0; }
    // True while an ID is being edited in the grid.
    bool EditingId() const { return editing_; }

    // The category name shown for a category code.
    QString CategoryName(int category) const;

    // The dialog's actions, as the buttons and the menu run them.
    void Scan();
    // Starts editing the ID of the focused row (only for device rows).
    bool BeginChangeId();
    // The grid row (see above) that has the focus.
    int FocusedRow() const { return focusedRow_; }
    // Focuses and, with a port chosen, selects grid row `row`.
    void ClickRow(int row);

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void FormCreate();
    void FormShow();
    void FormClose();
    // Opens port 1..4; `resulting` receives the port open afterwards (0: none).
    bool OpenPort(int port, int* resulting);
    void FillGrid();
    void ClearGrid();
    void SelectRow(int row);
    void ShowNoDevice();
    void SetRowCount(int gridRows);
    void SetCell(int row, int column, const QString& text);
    QString Cell(int row, int column) const;
    void CopyCommittedToWorking();
    void PopupAboutToShow();
    void ComChanged(int index);
    // ID editing.
    void IdTextEdited(const QString& text);
    void CommitIdEdit();
    void EndIdEdit(int selectRow);
    void RestoreRowSelection();
    int ReadRate() const;
    void SelectRateIndex(int rate);
    bool IsCloseKey(int key) const;

    const MLang& lang_;
    CSelkIO& io_;
    SelkSys& sys_;
    CSelkReg& reg_;
    WaitView* wait_ = nullptr;
    WaitView* ownWait_ = nullptr;

    std::array<DeviceEntry, kMaxDevices> committed_{};
    std::array<DeviceEntry, kMaxDevices> working_{};
    int committedCount_ = 0;
    int workingCount_ = 0;
    int currentId_ = 0;
    int currentIndex_ = -1;
    int currentCategory_ = 0;
    int rate_ = 115200;
    int rememberedPort_ = 0;
    int rememberedId_ = 0;
    bool cancelled_ = true;
    bool editing_ = false;
    int editRow_ = 0;
    QString editText_;
    int focusedRow_ = 1;
    int busy_ = 0;
    bool closing_ = false;

    QLabel* Label1_ = nullptr;
    QLabel* lbSelDev_ = nullptr;
    QLabel* Label2_ = nullptr;
    QComboBox* cbCom_ = nullptr;
    QFrame* Panel1_ = nullptr;
    QLabel* lblSelP_ = nullptr;
    QTableWidget* SG1_ = nullptr;
    QPushButton* btnScan_ = nullptr;
    QPushButton* btnOk_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
    QComboBox* cbRate_ = nullptr;
    QMenu* PopupMenu1_ = nullptr;
    QAction* mnuScan_ = nullptr;
    QAction* mnuChID_ = nullptr;
    QLineEdit* idEditor_ = nullptr;
};

}  // namespace talvix::ui
