#pragma once
#include <QDialog>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/FindData.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace talvix {
class CProfile;
class FileOpe;
}  // namespace talvix

namespace talvix::ui {

// The file-transfer monitor (frmFileMon): shows the last file-transfer
// request and reply and offers a button for every card command, plus a
// packet-by-packet write of a PC file. Its labels are fixed. It watches the
// link only while it is shown, and keeps its place in the settings file.
class TfrmFileMon : public QDialog {
    Q_OBJECT
public:
    TfrmFileMon(FileOpe& ope, CProfile& profile, QWidget* parent = nullptr);
    ~TfrmFileMon() override;

    // WM_SELK_NOTIFY from the file-transfer link.
    void OnNotify(uint32_t wParam, int32_t lParam);

    // "Button13": sends the frame typed into the request field.
    void SendTyped();
    // Loads a PC file as the image to write; false for an empty or too large
    // file or one that cannot be read (the previous image stays then).
    bool LoadImage(const QString& path);
    // One WRITE DATA packet, as the button sends it.
    bool WriteDataPacket();
    // "全て書き込み": WRITE, then packets until stopped, refused or done.
    bool WriteAll();
    // "中止".
    void StopWriteAll() { stopRequested_ = true; }
    size_t imageSize() const { return image_.size(); }
    uint8_t attributeByte() const { return attributes_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void BuildControls();
    QWidget* BuildOtherTab();
    QWidget* BuildRateTab();
    QWidget* BuildFindTab();
    QWidget* BuildReadTab();
    QWidget* BuildVolumeTab();
    QWidget* BuildDirTab();
    QWidget* BuildFileTab();
    QWidget* BuildWriteTab();
    void Register(bool on);
    void PickPcFile();
    void TotalChanged(int total);
    void PacketSizeChanged(const QString& text);
    void DropImage();
    void Guarded(const std::function<void()>& work);
    std::string CardPath(const QLineEdit* edit) const;

    FileOpe& ope_;
    CProfile& profile_;
    std::vector<uint8_t> image_;
    uint8_t attributes_ = 0;
    platform::FindData findRecord_{};
    std::atomic<bool> stopRequested_{false};
    bool writingAll_ = false;
    bool exchanging_ = false;

    QCheckBox* CheckBox2_ = nullptr;  // display break
    QCheckBox* CheckBox3_ = nullptr;  // retry
    QTabWidget* tabs_ = nullptr;
    QComboBox* ComboBox1_ = nullptr;
    QPushButton* Button5_ = nullptr;
    QLineEdit* Edit1_ = nullptr;
    QSpinBox* CSpinEdit1_ = nullptr;
    QLineEdit* Edit2_ = nullptr;
    QSpinBox* CSpinEdit4_ = nullptr;
    QSpinBox* CSpinEdit2_ = nullptr;
    QSpinBox* CSpinEdit3_ = nullptr;
    QLineEdit* Edit3_ = nullptr;
    QLineEdit* Edit4_ = nullptr;
    QLineEdit* Edit6_ = nullptr;
    QLineEdit* Edit5_ = nullptr;
    QLineEdit* Edit7_ = nullptr;
    QLineEdit* Edit8_ = nullptr;
    QSpinBox* CSpinEdit7_ = nullptr;
    QSpinBox* CSpinEdit9_ = nullptr;
    QComboBox* ComboBox2_ = nullptr;
    QSpinBox* CSpinEdit5_ = nullptr;
    QSpinBox* CSpinEdit6_ = nullptr;
    QPushButton* Button25_ = nullptr;  // WRITE DATA
    QPushButton* Button28_ = nullptr;  // write all
    QPushButton* Button29_ = nullptr;  // WRITE
    QPlainTextEdit* Memo1_ = nullptr;
    QPlainTextEdit* Memo2_ = nullptr;
};

}  // namespace talvix::ui
