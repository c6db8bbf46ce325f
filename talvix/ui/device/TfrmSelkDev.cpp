#include "TfrmSelkDev.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTableWidget>

#include "ScanWaitBox.h"
#include "platform/Cp932.h"
#include "platform/Pump.h"
#include "talvix/serial/CSelkIO.h"
#include "talvix/serial/CSelkReg.h"
#include "talvix/serial/SelkSys.h"
#include "talvix/settings/MLang.h"
#include "talvix/ui/CaptionForm.h"
#include "talvix/ui/common/WidgetPlacement.h"

namespace talvix::ui {

namespace {

constexpr const char* kSection = CSelkReg::kSection;
constexpr int kRates[5] = {115200, 57600, 38400, 19200, 9600};
constexpr int kLastId = 99;
constexpr int kPauseAfterFoundMs = 100;
constexpr int kPauseBeforeInfoMs = 1000;

QString TwoDigits(int id) { return QStringLiteral("%1").arg(id, 2, 10, QLatin1Char('0')); }

// While the dialog talks to the line, the serial waits run the event loop:
// the dialog then takes no input and shows the busy cursor.
class BusyScope {
public:
    BusyScope(QWidget* dialog, int& counter) : dialog_(dialog), counter_(counter)
    {
        if (counter_++ == 0) {
            wasEnabled_ = dialog_->isEnabled();
            dialog_->setEnabled(false);
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
    }
    ~BusyScope()
    {
        if (--counter_ == 0) {
            QApplication::restoreOverrideCursor();
            dialog_->setEnabled(wasEnabled_);
        }
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    QWidget* dialog_;
    int& counter_;
    bool wasEnabled_ = true;
};

}  // namespace

TfrmSelkDev::TfrmSelkDev(const MLang& lang, CSelkIO& io, SelkSys& sys, CSelkReg& reg, QWidget* parent)
    : QDialog(parent), lang_(lang), io_(io), sys_(sys), reg_(reg)
{
    BuildControls();
    FormCreate();
}

TfrmSelkDev::~TfrmSelkDev() = default;

void TfrmSelkDev::BuildControls()
{
    setObjectName("frmSelkDev");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(359, 196);

    Label1_ = new QLabel(QStringLiteral("Serial Port"), this);
    Label1_->setObjectName("Label1");
    Label1_->setGeometry(8, 6, 100, 16);

    cbCom_ = new QComboBox(this);
    cbCom_->setObjectName("cbCom");
    cbCom_->addItems({QStringLiteral("Not Use"), QStringLiteral("COM 1"), QStringLiteral("COM 2"),
                      QStringLiteral("COM 3"), QStringLiteral("COM 4")});
    cbCom_->setGeometry(8, 22, 100, 22);
    Label1_->setBuddy(cbCom_);

    lbSelDev_ = new QLabel(QStringLiteral("Selected Device"), this);
    lbSelDev_->setObjectName("lbSelDev");
    lbSelDev_->setGeometry(116, 6, 235, 16);

    Panel1_ = new QFrame(this);
    Panel1_->setObjectName("Panel1");
    Panel1_->setProperty("talvixClass", "TPanel");
    Panel1_->setFrameShape(QFrame::Panel);
    Panel1_->setFrameShadow(QFrame::Sunken);
    Panel1_->setGeometry(116, 22, 235, 22);
    auto* panelLayout = new QHBoxLayout(Panel1_);
    panelLayout->setContentsMargins(4, 0, 4, 0);
    lblSelP_ = new QLabel(Panel1_);
    lblSelP_->setObjectName("lblSelP");
    lblSelP_->setTextFormat(Qt::PlainText);
    panelLayout->addWidget(lblSelP_);

    SG1_ = new QTableWidget(1, 4, this);
    SG1_->setObjectName("SG1");
    SG1_->setGeometry(8, 52, 262, 136);
    SG1_->verticalHeader()->hide();
    SG1_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SG1_->verticalHeader()->setDefaultSectionSize(18);
    SG1_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    SG1_->horizontalHeader()->setHighlightSections(false);
    SG1_->horizontalHeader()->setSectionsClickable(false);
    const int widths[4] = {27, 25, 73, 105};
    for (int c = 0; c < 4; ++c)
        SG1_->setColumnWidth(c, widths[c]);
    SG1_->setShowGrid(false);
    SG1_->setSelectionBehavior(QAbstractItemView::SelectRows);
    SG1_->setSelectionMode(QAbstractItemView::SingleSelection);
    SG1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SG1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SG1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    SG1_->setWordWrap(false);
    SG1_->setContextMenuPolicy(Qt::CustomContextMenu);
    SG1_->viewport()->installEventFilter(this);

    btnScan_ = new QPushButton(QStringLiteral("Scan"), this);
    btnScan_->setObjectName("btnScan");
    btnScan_->setGeometry(278, 52, 73, 25);
    btnScan_->setAutoDefault(false);

    Label2_ = new QLabel(QStringLiteral("Transfer Rate"), this);
    Label2_->setObjectName("Label2");
    Label2_->setGeometry(278, 84, 80, 16);

    cbRate_ = new QComboBox(this);
    cbRate_->setObjectName("cbRate");
    cbRate_->addItems({QStringLiteral("115200"), QStringLiteral(" 57600"), QStringLiteral(" 38400"),
                       QStringLiteral(" 19200"), QStringLiteral("  9600")});
    cbRate_->setGeometry(278, 100, 73, 22);
    Label2_->setBuddy(cbRate_);

    btnOk_ = new QPushButton(QStringLiteral("OK"), this);
    btnOk_->setObjectName("btnOk");
    btnOk_->setGeometry(278, 133, 73, 25);
    btnOk_->setDefault(true);

    btnCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel_->setObjectName("btnCancel");
    btnCancel_->setGeometry(278, 163, 73, 25);
    btnCancel_->setAutoDefault(false);

    PopupMenu1_ = new QMenu(this);
    PopupMenu1_->setObjectName("PopupMenu1");
    mnuScan_ = new QAction(QStringLiteral("Scan"), PopupMenu1_);
    mnuScan_->setObjectName("mnuScan");
    mnuChID_ = new QAction(QStringLiteral("Change ID"), PopupMenu1_);
    mnuChID_->setObjectName("mnuChID");
    PopupMenu1_->addAction(mnuScan_);
    PopupMenu1_->addAction(mnuChID_);

    connect(cbCom_, &QComboBox::activated, this, &TfrmSelkDev::ComChanged);
    connect(btnScan_, &QPushButton::clicked, this, &TfrmSelkDev::Scan);
    connect(mnuScan_, &QAction::triggered, this, &TfrmSelkDev::Scan);
    connect(mnuChID_, &QAction::triggered, this, [this] { BeginChangeId(); });
    connect(btnOk_, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(PopupMenu1_, &QMenu::aboutToShow, this, &TfrmSelkDev::PopupAboutToShow);
    connect(SG1_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (!editing_ && !Busy())
            PopupMenu1_->popup(SG1_->viewport()->mapToGlobal(pos));
    });
    // A click, or a move of the row with the keyboard, focuses that row.
    connect(SG1_, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
        if (!editing_ && row >= 0)
            ClickRow(row + 1);
    });
    connect(SG1_, &QTableWidget::cellClicked, this, [this](int row, int) {
        if (!editing_ && row >= 0)
            ClickRow(row + 1);
    });
}

void TfrmSelkDev::FormCreate()
{
    CaptionForm(lang_, this);
    auto text = [this](const char* key) { return QString::fromStdString(lang_.GetText(key)); };
    setWindowTitle(text("TI_DEVSEL"));
    cbCom_->setItemText(0, text("CB_NOUSE"));
    const QString headings[4] = {QStringLiteral("No."), QStringLiteral("ID"), text("LB_CAT"), text("LB_NAME")};
    for (int c = 0; c < 4; ++c)
        SG1_->setHorizontalHeaderItem(c, new QTableWidgetItem(headings[c]));
    mnuScan_->setText(text("MNU_SCAN"));
    mnuChID_->setText(text("MNU_IDCH"));
    ClearGrid();
    cbCom_->setCurrentIndex(0);
    btnScan_->setEnabled(false);
    ShowNoDevice();
}

// ---------------------------------------------------------------- the grid

void TfrmSelkDev::SetRowCount(int gridRows)
{
    const QSignalBlocker block(SG1_);
    SG1_->setRowCount(std::max(1, gridRows - 1));
}

void TfrmSelkDev::SetCell(int row, int column, const QString& text)
{
    const int tableRow = row - 1;
    if (tableRow < 0 || tableRow >= SG1_->rowCount())
        return;
    QTableWidgetItem* item = SG1_->item(tableRow, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        SG1_->setItem(tableRow, column, item);
    }
    item->setText(text);
}

QString TfrmSelkDev::Cell(int row, int column) const
{
    const QTableWidgetItem* item = SG1_->item(row - 1, column);
    return item ? item->text() : QString();
}

void TfrmSelkDev::ClearGrid()
{
    const QSignalBlocker block(SG1_);
    SG1_->clearContents();
    SetRowCount(2);
    for (int c = 0; c < 3; ++c)
        SetCell(1, c, QString());
    SetCell(1, 3, QString::fromStdString(lang_.GetText("LB_NOTCONN")));
    focusedRow_ = 1;
    SG1_->setCurrentCell(0, 0);
}

QString TfrmSelkDev::CategoryName(int category) const
{
    switch (category) {
    case 1: return QStringLiteral("VCR");
    case 3: return QStringLiteral("VDP");
    case 7: return QString::fromStdString(lang_.GetText("SG_MOVIE"));
    case 9: return QStringLiteral("VCP");
    case 34: return QString::fromStdString(lang_.GetText("SG_PRINTER"));
    default: return QString::fromStdString(lang_.GetText("SG_UNKNOWN"));
    }
}

void TfrmSelkDev::FillGrid()
{
    int answered = 0;
    for (int i = 0; i < workingCount_; ++i)
        answered += working_[i].answered ? 1 : 0;
    {
        const QSignalBlocker block(SG1_);
        SG1_->clearContents();
        SetRowCount(2 + answered);
        for (int c = 0; c < 3; ++c)
            SetCell(1, c, QString());
        SetCell(1, 3, QString::fromStdString(lang_.GetText("LB_NOTCONN")));
    }
    int row = 2;
    int match = -1;
    for (int i = 0; i < workingCount_; ++i) {
        const DeviceEntry& entry = working_[i];
        if (!entry.answered)
            continue;
        SetCell(row, 0, QString::number(i + 1));
        SetCell(row, 1, TwoDigits(entry.id()));
        SetCell(row, 2, CategoryName(entry.category()));
        SetCell(row, 3, QString::fromStdString(platform::ToUtf8(entry.name())));
        if (match < 0 && currentId_ != 0 && entry.id() == currentId_)
            match = row;
        ++row;
    }
    if (match >= 0) {
        focusedRow_ = match;
        SelectRow(match);
    } else {
        focusedRow_ = answered > 0 ? 2 : 1;
        ShowNoDevice();
        currentId_ = 0;
    }
    const QSignalBlocker block(SG1_);
    SG1_->setCurrentCell(focusedRow_ - 1, 0);
}

void TfrmSelkDev::ShowNoDevice() { lblSelP_->setText(QString::fromStdString(lang_.GetText("TX_NODEV"))); }

void TfrmSelkDev::SelectRow(int row)
{
    if (row <= 1 || row - 1 >= SG1_->rowCount()) {
        ShowNoDevice();
        currentId_ = 0;
        return;
    }
    const QString idText = Cell(row, 1);
    lblSelP_->setText(QStringLiteral("ID:") + idText + QStringLiteral(" ") + Cell(row, 3));
    currentId_ = idText.toInt();
}

void TfrmSelkDev::ClickRow(int row)
{
    if (row < 1 || row - 1 >= SG1_->rowCount())
        return;
    focusedRow_ = row;
    if (SG1_->currentRow() != row - 1) {
        const QSignalBlocker block(SG1_);
        SG1_->setCurrentCell(row - 1, 0);
    }
    if (cbCom_->currentIndex() != 0)
        SelectRow(row);
}

// ---------------------------------------------------------------- loading

void TfrmSelkDev::CopyCommittedToWorking()
{
    working_ = committed_;
    workingCount_ = committedCount_;
}

bool TfrmSelkDev::PortOpen() const { return io_.IsOpen(); }

int TfrmSelkDev::ReadRate() const
{
    const int index = cbRate_->currentIndex();
    return index >= 0 && index < 5 ? kRates[index] : kRates[0];
}

void TfrmSelkDev::SelectRateIndex(int rate)
{
    int index = 0;
    for (int i = 1; i < 5; ++i)
        if (kRates[i] == rate)
            index = i;
    cbRate_->setCurrentIndex(index);
}

bool TfrmSelkDev::LoadDevices()
{
    cancelled_ = true;
    rememberedPort_ = io_.IsOpen() ? io_.portNumber() : 0;
    rememberedId_ = currentId_;

    auto read = [this](const std::string& name, uint32_t fallback) {
        uint32_t value = 0;
        return reg_.ReadValue(kSection, name, value) ? value : fallback;
    };
    const uint32_t port = read("COM", 0);
    const uint32_t id = read("CurID", 0);
    const uint32_t count = read("DEVICES", 0);
    const uint32_t rate = read("BAUDRATE", 115200);
    // Values another program wrote may be out of range: an ID outside
    // 1..99 means no device, and the list holds at most 100 entries.
    currentId_ = id >= 1 && id <= static_cast<uint32_t>(kLastId) ? static_cast<int>(id) : 0;
    committedCount_ = static_cast<int>(std::min<uint32_t>(count, kMaxDevices));
    SelectRateIndex(static_cast<int>(rate));
    rate_ = ReadRate();
    for (int n = 0; n < committedCount_; ++n) {
        const auto value = static_cast<uint8_t>(read("ID" + std::to_string(n), 0) & 0xFF);
        // What was known of another device at this place no longer holds.
        if (committed_[n].record[0] != value)
            committed_[n] = DeviceEntry{};
        committed_[n].record[0] = value;
    }
    const bool open = OpenPort(port <= 4 ? static_cast<int>(port) : 0, nullptr);
    CopyCommittedToWorking();
    return open;
}

bool TfrmSelkDev::OpenPort(int port, int* resulting)
{
    const int previous = io_.IsOpen() ? io_.portNumber() : 0;
    io_.Close();
    if (port < 1 || port > 4) {
        cbCom_->setCurrentIndex(0);
        btnScan_->setEnabled(false);
        ClearGrid();
        ShowNoDevice();
        if (resulting)
            *resulting = 0;
        return false;
    }
    if (io_.Open(port) && io_.Setup()) {
        btnScan_->setEnabled(true);
        cbCom_->setCurrentIndex(port);
        if (resulting)
            *resulting = port;
        RefreshDevices();
        return true;
    }
    io_.Close();
    // The chosen port does not work: go back to the one that was open, so
    // that the port list never shows a port that is not open.
    int back = 0;
    if (previous >= 1 && previous <= 4 && io_.Open(previous) && io_.Setup())
        back = previous;
    else
        io_.Close();
    cbCom_->setCurrentIndex(back);
    btnScan_->setEnabled(back != 0);
    if (back == 0) {
        ClearGrid();
        ShowNoDevice();
    }
    if (resulting)
        *resulting = back;
    return false;
}

void TfrmSelkDev::RefreshDevices()
{
    BusyScope busy(this, busy_);
    for (int i = 0; i < committedCount_; ++i) {
        DeviceEntry& entry = committed_[i];
        entry.answered = sys_.EnsurePowerOn(entry.id()) ? 1 : 0;
        sys_.ReadDeviceInfo(entry.Record());
        working_[i] = entry;
        platform::PumpSleep(kPauseAfterFoundMs);
    }
    // The whole working list follows, so that a scan made on another port
    // is never mixed with the committed devices.
    CopyCommittedToWorking();
}

int TfrmSelkDev::IndexOfID(int id) const
{
    for (int i = 0; i < workingCount_; ++i)
        if (working_[i].id() == id)
            return i;
    return -1;
}

void TfrmSelkDev::FormShow()
{
    LoadDevices();
    // Shown before anyone loaded the devices (no port was open, no device
    // known): Cancel goes back to the stored set-up just loaded, instead of
    // wiping the stored port and current device.
    if (rememberedPort_ == 0 && io_.IsOpen())
        rememberedPort_ = io_.portNumber();
    if (rememberedId_ == 0)
        rememberedId_ = currentId_;
    RefreshDevices();
    CopyCommittedToWorking();
    FillGrid();
}

void TfrmSelkDev::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

int TfrmSelkDev::ShowCentred(QWidget* over)
{
    CentreOver(this, over);
    return exec();
}

void TfrmSelkDev::ComChanged(int index)
{
    if (Busy() || editing_)
        return;
    int port = 0;
    OpenPort(index, &port);
    if (port >= 1 && port <= 4)
        FillGrid();
}

// ---------------------------------------------------------------- scanning

void TfrmSelkDev::Scan()
{
    if (Busy() || editing_ || !btnScan_->isEnabled())
        return;
    BusyScope busy(this, busy_);
    WaitView* wait = wait_;
    if (!wait) {
        if (!ownWait_)
            ownWait_ = new ScanWaitBox(this);
        wait = ownWait_;
    }
    wait->ShowWait(this, QString::fromStdString(lang_.GetText("MB_TI_SCAN")), true, false);
    wait->SetProgress(0);

    sys_.Ping(1);
    workingCount_ = 0;
    for (int id = 1; id <= kLastId; ++id) {
        if (sys_.EnsurePowerOn(id) && workingCount_ < kMaxDevices) {
            DeviceEntry& entry = working_[workingCount_++];
            entry = DeviceEntry{};
            entry.record[0] = static_cast<uint8_t>(id);
            entry.answered = 1;
            platform::PumpSleep(kPauseAfterFoundMs);
        }
        if ((id + 1) % 10 == 0)
            wait->SetProgress(id + 1);
    }
    for (int i = 0; i < workingCount_; ++i) {
        platform::PumpSleep(kPauseBeforeInfoMs);
        sys_.ReadDeviceInfo(working_[i].Record());
    }
    wait->CloseIfVisible();
    FillGrid();
    if (workingCount_ == 1) {
        focusedRow_ = 2;
        {
            const QSignalBlocker block(SG1_);
            SG1_->setCurrentCell(1, 0);
        }
        SelectRow(2);
    }
}

// ---------------------------------------------------------------- ID change

void TfrmSelkDev::PopupAboutToShow() { mnuChID_->setEnabled(focusedRow_ > 1 && !editing_ && !Busy()); }

bool TfrmSelkDev::BeginChangeId()
{
    if (editing_ || Busy() || focusedRow_ <= 1 || focusedRow_ - 1 >= SG1_->rowCount())
        return false;
    editing_ = true;
    editRow_ = focusedRow_;
    editText_ = Cell(editRow_, 1);
    btnScan_->setEnabled(false);
    btnOk_->setEnabled(false);
    cbCom_->setEnabled(false);

    SG1_->setSelectionBehavior(QAbstractItemView::SelectItems);
    QTableWidgetItem* item = SG1_->item(editRow_ - 1, 1);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    {
        const QSignalBlocker block(SG1_);
        SG1_->setCurrentCell(editRow_ - 1, 1);
    }
    SG1_->openPersistentEditor(item);
    idEditor_ = qobject_cast<QLineEdit*>(SG1_->indexWidget(SG1_->model()->index(editRow_ - 1, 1)));
    if (idEditor_) {
        idEditor_->installEventFilter(this);
        connect(idEditor_, &QLineEdit::textEdited, this, &TfrmSelkDev::IdTextEdited);
        idEditor_->setFocus();
        idEditor_->selectAll();
    }
    return true;
}

void TfrmSelkDev::IdTextEdited(const QString& text)
{
    // At most two characters; a non-digit typed last is taken back again.
    QString kept = text.left(2);
    if (!kept.isEmpty() && !kept.back().isDigit())
        kept.chop(1);
    if (kept != text && idEditor_) {
        const QSignalBlocker block(idEditor_);
        idEditor_->setText(kept);
    }
}

void TfrmSelkDev::CommitIdEdit()
{
    if (!editing_ || !idEditor_)
        return;
    bool ok = false;
    const int newId = idEditor_->text().toInt(&ok);
    if (!ok || newId < 1)
        return;  // editing goes on
    const int oldId = editText_.toInt();
    const int index = IndexOfID(oldId);
    if (index >= 0) {
        bool taken = false;
        for (int i = 0; i < workingCount_; ++i)
            taken = taken || working_[i].id() == newId;
        bool changed = false;
        if (!taken) {
            BusyScope busy(this, busy_);
            changed = sys_.ChangeID(oldId, newId);
        }
        if (changed) {
            working_[index].record[0] = static_cast<uint8_t>(newId);
            if (rememberedId_ == oldId)
                rememberedId_ = newId;
            if (currentId_ == oldId)
                currentId_ = newId;
            reg_.WriteValue(kSection, "CurID", currentId_);
            editText_ = TwoDigits(newId);
            // The device has its new ID now, whatever the user does next:
            // the committed list and its registry value follow at once (the
            // working list may be a scan that is not confirmed yet, so its
            // index is not the committed one).
            for (int i = 0; i < committedCount_; ++i) {
                if (committed_[i].id() == oldId) {
                    committed_[i].record[0] = static_cast<uint8_t>(newId);
                    reg_.WriteValue(kSection, "ID" + std::to_string(i), newId);
                    break;
                }
            }
        }
    }
    EndIdEdit(editRow_);
    if (cbCom_->currentIndex() != 0)
        SelectRow(editRow_);
}

void TfrmSelkDev::EndIdEdit(int selectRow)
{
    if (!editing_)
        return;
    editing_ = false;
    QTableWidgetItem* item = SG1_->item(editRow_ - 1, 1);
    if (idEditor_) {
        idEditor_->removeEventFilter(this);
        disconnect(idEditor_, nullptr, this, nullptr);
        idEditor_ = nullptr;
    }
    if (item) {
        SG1_->closePersistentEditor(item);
        item->setText(editText_);
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    }
    RestoreRowSelection();
    btnScan_->setEnabled(cbCom_->currentIndex() != 0);
    btnOk_->setEnabled(true);
    cbCom_->setEnabled(true);
    SG1_->setFocus();
    ClickRow(selectRow);
}

void TfrmSelkDev::RestoreRowSelection()
{
    SG1_->setSelectionBehavior(QAbstractItemView::SelectRows);
    const int row = SG1_->currentRow();
    if (row >= 0) {
        const QSignalBlocker block(SG1_);
        SG1_->setCurrentCell(row, 0);
        SG1_->selectRow(row);
    }
}

bool TfrmSelkDev::IsCloseKey(int key) const
{
    return key == Qt::Key_Escape || key == Qt::Key_Left || key == Qt::Key_Up || key == Qt::Key_Right ||
           key == Qt::Key_Down;
}

bool TfrmSelkDev::eventFilter(QObject* watched, QEvent* event)
{
    if (editing_ && idEditor_ && watched == idEditor_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            CommitIdEdit();
            return true;
        }
        if (IsCloseKey(key)) {
            EndIdEdit(editRow_);
            return true;
        }
    }
    if (editing_ && watched == SG1_->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const int tableRow = SG1_->rowAt(mouse->position().toPoint().y());
        EndIdEdit(tableRow >= 0 ? tableRow + 1 : editRow_);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmSelkDev::keyPressEvent(QKeyEvent* event)
{
    // Escape while an ID is edited ends the editing, not the dialog.
    if (editing_ && IsCloseKey(event->key())) {
        EndIdEdit(editRow_);
        return;
    }
    QDialog::keyPressEvent(event);
}

// ---------------------------------------------------------------- closing

void TfrmSelkDev::closeEvent(QCloseEvent* event)
{
    if (Busy()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TfrmSelkDev::done(int result)
{
    if (Busy() || closing_)
        return;
    closing_ = true;
    cancelled_ = result != QDialog::Accepted;
    FormClose();
    closing_ = false;
    QDialog::done(result);
}

void TfrmSelkDev::FormClose()
{
    if (editing_)
        EndIdEdit(editRow_);
    RestoreRowSelection();
    if (cancelled_) {
        io_.Close();
        if (rememberedPort_ >= 1 && rememberedPort_ <= 4) {
            if (!(io_.Open(rememberedPort_) && io_.Setup()))
                io_.Close();
        }
        currentId_ = rememberedId_;
        CopyCommittedToWorking();
    } else {
        committed_ = working_;
        committedCount_ = workingCount_;
        reg_.WriteValue(kSection, "DEVICES", committedCount_);
        for (int n = 0; n < committedCount_; ++n)
            reg_.WriteValue(kSection, "ID" + std::to_string(n), committed_[n].id());
        for (int n = committedCount_; n <= kLastId; ++n)
            reg_.DeleteValue(kSection, "ID" + std::to_string(n));
        rate_ = ReadRate();
    }
    const int index = currentId_ != 0 ? IndexOfID(currentId_) : -1;
    currentIndex_ = index;
    currentCategory_ = index >= 0 ? working_[index].category() : 0;
    reg_.WriteValue(kSection, "CurID", currentId_);
    // Cancel changes no stored choice: a port that fails to reopen just now
    // stays the stored port.
    const int openPort = io_.IsOpen() ? io_.portNumber() : 0;
    reg_.WriteValue(kSection, "COM", cancelled_ && openPort == 0 ? rememberedPort_ : openPort);
    reg_.WriteValue(kSection, "BAUDRATE", rate_);
    reg_.WriteValue(kSection, "Category", currentCategory_);
}

}  // namespace talvix::ui
