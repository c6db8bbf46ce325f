#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

namespace orvane {

// The question whether to save an edited title: "Yes" (replace it),
// "Save as New" or "No". Closing it any other way counts as "No".
class TfrmOWM : public QDialog {
    Q_OBJECT
public:
    explicit TfrmOWM(QWidget* parent = nullptr);

    QLabel* Msg = nullptr;
    QLabel* imgIcon = nullptr;
    QPushButton* BitBtn1 = nullptr;  // "Yes"
    QPushButton* BitBtn2 = nullptr;  // "Save as New"
    QPushButton* BitBtn3 = nullptr;  // "No"

    bool overwrite = false;
    bool cancelled = false;

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
};

}  // namespace orvane
