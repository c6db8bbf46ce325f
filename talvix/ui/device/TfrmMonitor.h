#pragma once
#include <QDialog>
#include <cstdint>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace talvix {
class CSelkIO;
}

namespace talvix::ui {

// The SELK monitor (frmMonitor): shows the last device-control command and
// reply, the port's last error and the transaction result, and sends
// hand-typed command frames. Its labels are fixed, not taken from the tables.
// It watches the link only while it is shown.
class TfrmMonitor : public QDialog {
    Q_OBJECT
public:
    explicit TfrmMonitor(QWidget* parent = nullptr);
    ~TfrmMonitor() override;

    // The link to watch and drive (the main window hands it over once).
    void SetSelkIO(CSelkIO* io);
    CSelkIO* selkIO() const { return io_; }

    // Send: the eight bytes of the input field as ID and command, one
    // transaction. With `thenBreak` the display freezes after showing it.
    void Send(bool thenBreak);

    // WM_SELK_NOTIFY from the link.
    void OnNotify(uint32_t portError, int32_t result);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Register(bool on);

    CSelkIO* io_ = nullptr;

    QLabel* pnlTD_ = nullptr;
    QLabel* pnlRD_ = nullptr;
    QLabel* pnlCErr_ = nullptr;
    QLabel* pnlSErr_ = nullptr;
    QCheckBox* cbBreak_ = nullptr;
    QLineEdit* edSend_ = nullptr;
    QPushButton* btnSend_ = nullptr;
    QPushButton* btnSendBreak_ = nullptr;
};

}  // namespace talvix::ui
