#pragma once
#include <QDialog>

namespace talvix {
class MLang;
}

namespace talvix::ui {

// The About box: the program's icon, name, version and the maker's notice.
// A click anywhere on it, or its OK button, closes it.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    TfrmAbout(const MLang& texts, const QIcon& icon, QWidget* owner = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace talvix::ui
