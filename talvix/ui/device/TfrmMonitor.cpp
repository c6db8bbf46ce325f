#include "TfrmMonitor.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <cstdlib>

#include "talvix/serial/CSelkIO.h"
#include "talvix/serial/SelkSys.h"
#include "talvix/ui/common/HexText.h"
#include "talvix/ui/common/UiNotify.h"
#include "talvix/ui/common/WidgetPlacement.h"

namespace talvix::ui {

namespace {

constexpr int kSendBytes = 8;
constexpr int kSendChars = 24;

QLabel* MakePanel(QWidget* parent, const char* name, const QString& text, const QRect& place)
{
    auto* panel = new QLabel(text, parent);
    panel->setObjectName(name);
    panel->setTextFormat(Qt::PlainText);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, QColor(0, 255, 0));
    panel->setPalette(palette);
    panel->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setIndent(4);
    panel->setGeometry(place);
    return panel;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& place)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(place);
    return label;
}

// The last `digits` decimal digits of a value, zero-filled.
QString LastDigits(long long value, int digits)
{
    long long modulus = 1;
    for (int i = 0; i < digits; ++i)
        modulus *= 10;
    return QStringLiteral("%1").arg(std::llabs(value) % modulus, digits, 10, QLatin1Char('0'));
}

}  // namespace

TfrmMonitor::TfrmMonitor(QWidget* parent) : QDialog(parent)
{
    setObjectName("frmMonitor");
    setWindowTitle(QStringLiteral("SELK MONITOR"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint);
    setModal(false);
    setFixedSize(361, 209);

    static constexpr uint8_t kEmpty[11] = {};
    const QString emptyFrame = QString::fromStdString(HexBytes(kEmpty, 11));
    MakeLabel(this, "lblTD", QStringLiteral("TX"), QRect(8, 10, 24, 18));
    pnlTD_ = MakePanel(this, "pnlTD", emptyFrame, QRect(34, 8, 319, 22));
    MakeLabel(this, "lblRD", QStringLiteral("RX"), QRect(8, 38, 24, 18));
    pnlRD_ = MakePanel(this, "pnlRD", emptyFrame, QRect(34, 36, 319, 22));

    MakeLabel(this, "Label1", QStringLiteral("COM ERROR"), QRect(8, 70, 80, 18));
    pnlCErr_ = MakePanel(this, "pnlCErr", QStringLiteral("0000"), QRect(90, 68, 60, 22));
    MakeLabel(this, "Label2", QStringLiteral("SELK ERROR"), QRect(170, 70, 80, 18));
    pnlSErr_ = MakePanel(this, "pnlSErr", QStringLiteral("00"), QRect(252, 68, 40, 22));

    cbBreak_ = new QCheckBox(QStringLiteral("BREAK"), this);
    cbBreak_->setObjectName("cbBreak");
    cbBreak_->setGeometry(8, 100, 100, 20);

    auto* ruler = MakeLabel(this, "Label3", QStringLiteral(" 3: 4: 5: 6: 7: 8: 9:10: "), QRect(8, 126, 345, 16));
    ruler->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    static constexpr uint8_t kEmptySend[kSendBytes] = {};
    edSend_ = new QLineEdit(QString::fromStdString(HexBytes(kEmptySend, kSendBytes)), this);
    edSend_->setObjectName("edSend");
    edSend_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    edSend_->setGeometry(8, 144, 345, 22);

    btnSend_ = new QPushButton(QStringLiteral("Send"), this);
    btnSend_->setObjectName("btnSend");
    btnSend_->setGeometry(8, 176, 100, 25);
    btnSend_->setAutoDefault(false);
    btnSendBreak_ = new QPushButton(QStringLiteral("Send && Break"), this);
    btnSendBreak_->setObjectName("btnSendBreak");
    btnSendBreak_->setGeometry(116, 176, 120, 25);
    btnSendBreak_->setAutoDefault(false);

    connect(btnSend_, &QPushButton::clicked, this, [this] { Send(false); });
    connect(btnSendBreak_, &QPushButton::clicked, this, [this] { Send(true); });

    CentreOver(this, nullptr);
}

TfrmMonitor::~TfrmMonitor() { Register(false); }

void TfrmMonitor::SetSelkIO(CSelkIO* io)
{
    if (io_ == io)
        return;
    Register(false);
    io_ = io;
    if (isVisible())
        Register(true);
}

void TfrmMonitor::Register(bool on)
{
    if (!io_)
        return;
    if (on)
        io_->SetNotifyWindow(MakeUiObserver(this, [this](uint32_t w, int32_t l) { OnNotify(w, l); }));
    else
        io_->SetNotifyWindow({});
}

void TfrmMonitor::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Register(true);
}

void TfrmMonitor::hideEvent(QHideEvent* event)
{
    if (!event->spontaneous())
        Register(false);
    QDialog::hideEvent(event);
}

void TfrmMonitor::OnNotify(uint32_t portError, int32_t result)
{
    if (!io_ || cbBreak_->isChecked())
        return;
    pnlTD_->setText(QString::fromStdString(HexBytes(io_->commandFrame, CSelkIO::kFrameSize)));
    pnlRD_->setText(QString::fromStdString(HexBytes(io_->replyFrame, CSelkIO::kFrameSize)));
    pnlSErr_->setText(LastDigits(result, 2));
    pnlCErr_->setText(LastDigits(portError, 4));
}

void TfrmMonitor::Send(bool thenBreak)
{
    if (!io_ || systemCommandBusy.load())
        return;
    systemCommandBusy.store(true);
    uint8_t bytes[kSendBytes] = {};
    const std::string typed = edSend_->text().left(kSendChars).toStdString();
    ParseHexBytes(typed, bytes, kSendBytes);
    edSend_->setText(QString::fromStdString(HexBytes(bytes, kSendBytes)));
    io_->SetCommand(bytes[0], bytes + 1);
    io_->Transact();
    systemCommandBusy.store(false);
    if (thenBreak) {
        // The transaction's notifications are queued: let them show it,
        // then freeze the display.
        if (QCoreApplication* app = QCoreApplication::instance())
            QCoreApplication::sendPostedEvents(app, QEvent::MetaCall);
        cbBreak_->setChecked(true);
    }
}

}  // namespace talvix::ui
