#include "TfrmFileMon.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <ctime>

#include "platform/Cp932.h"
#include "talvix/filexfer/FileOpe.h"
#include "talvix/settings/CProfile.h"
#include "talvix/ui/common/HexText.h"
#include "talvix/ui/common/UiNotify.h"
#include "talvix/ui/common/WidgetPlacement.h"

namespace talvix::ui {

namespace {

constexpr int kBytesPerLine = 16;
// Largest start address the READ button asks for: its reply is put into a
// buffer of start + count bytes.
constexpr int kMaxReadStart = 16 * 1024 * 1024;
constexpr int kMaxReadCount = 0xFFFF;

// A frame as hexadecimal text, 16 bytes a line.
QString FrameLines(const uint8_t* bytes, size_t count)
{
    std::string text;
    for (size_t at = 0; at < count; at += kBytesPerLine) {
        if (at > 0)
            text += '\n';
        text += HexBytes(bytes + at, std::min<size_t>(kBytesPerLine, count - at));
    }
    return QString::fromStdString(text);
}

// Frame length L + 6 from bytes 2..3, kept inside the link's buffer.
size_t FrameLength(const uint8_t* frame)
{
    const size_t payload = static_cast<size_t>(frame[2]) | static_cast<size_t>(frame[3]) << 8;
    return std::min(payload + 6, CFileIO::kBufferSize);
}

QPushButton* Button(QWidget* parent, const char* name, const QString& text)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QLineEdit* Edit(QWidget* parent, const char* name, const QString& text)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    return edit;
}

QSpinBox* Spin(QWidget* parent, const char* name, int low, int high, int value)
{
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(name);
    spin->setRange(low, high);
    spin->setValue(value);
    return spin;
}

// A line of a label and a widget.
QWidget* Labelled(QWidget* parent, const QString& label, QWidget* widget)
{
    auto* box = new QWidget(parent);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(label, box));
    widget->setParent(box);
    layout->addWidget(widget, 1);
    return box;
}

// Digits and blanks, a sign only in front, at least one digit.
bool ReadRateText(const QString& text, int& rate)
{
    const QString trimmed = text.trimmed();
    QString digits;
    for (int i = 0; i < trimmed.size(); ++i) {
        const QChar c = trimmed[i];
        if (c.isDigit() && c.unicode() < 128)
            digits += c;
        else if (c == QLatin1Char(' '))
            continue;
        else if (i == 0 && (c == QLatin1Char('+') || c == QLatin1Char('-')))
            digits += c;
        else
            return false;
    }
    bool ok = false;
    rate = digits.toInt(&ok);
    return ok;
}

DosDateTime NowAsDos()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const int year = std::clamp(local.tm_year + 1900, 1980, 2107);
    DosDateTime dos;
    dos.date = static_cast<uint16_t>(((year - 1980) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    dos.time = static_cast<uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
    return dos;
}

}  // namespace

TfrmFileMon::TfrmFileMon(FileOpe& ope, CProfile& profile, QWidget* parent)
    : QDialog(parent), ope_(ope), profile_(profile)
{
    setObjectName("frmFileMon");
    setWindowTitle(QStringLiteral("ファイル転送モニター"));
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setModal(false);
    setFixedSize(569, 416);
    BuildControls();
    RestoreWidgetPlacement(profile_, this, false);
}

TfrmFileMon::~TfrmFileMon()
{
    Register(false);
}

void TfrmFileMon::BuildControls()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);

    auto* top = new QHBoxLayout;
    QPushButton* enter = Button(this, "Button1", QStringLiteral("プロトコル移行"));
    QPushButton* leave = Button(this, "Button2", QStringLiteral("SELKに戻る"));
    CheckBox2_ = new QCheckBox(QStringLiteral("表示ブレーク"), this);
    CheckBox2_->setObjectName("CheckBox2");
    CheckBox3_ = new QCheckBox(QStringLiteral("リトライ"), this);
    CheckBox3_->setObjectName("CheckBox3");
    CheckBox3_->setChecked(true);
    top->addWidget(enter);
    top->addWidget(leave);
    top->addStretch(1);
    top->addWidget(CheckBox2_);
    top->addWidget(CheckBox3_);
    layout->addLayout(top);
    connect(enter, &QPushButton::clicked, this, [this] { Guarded([this] { ope_.EnterTransferMode(); }); });
    connect(leave, &QPushButton::clicked, this, [this] { Guarded([this] { ope_.LeaveTransferMode(); }); });
    connect(CheckBox3_, &QCheckBox::toggled, this, [this](bool on) { ope_.SetAttemptCount(on ? 3 : 1); });

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("PageControl1");
    tabs_->addTab(BuildOtherTab(), QStringLiteral("その他"));
    tabs_->addTab(BuildRateTab(), QStringLiteral("ﾎﾞｰﾚｰﾄ"));
    tabs_->addTab(BuildFindTab(), QStringLiteral("検索"));
    tabs_->addTab(BuildReadTab(), QStringLiteral("読み込み"));
    tabs_->addTab(BuildVolumeTab(), QStringLiteral("ボリューム"));
    tabs_->addTab(BuildDirTab(), QStringLiteral("ディレクトリ"));
    tabs_->addTab(BuildFileTab(), QStringLiteral("ファイル"));
    tabs_->addTab(BuildWriteTab(), QStringLiteral("書き込み"));
    layout->addWidget(tabs_, 1);

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* traffic = new QGridLayout;
    traffic->addWidget(new QLabel(QStringLiteral("送信"), this), 0, 0);
    traffic->addWidget(new QLabel(QStringLiteral("受信"), this), 0, 1);
    Memo1_ = new QPlainTextEdit(this);
    Memo1_->setObjectName("Memo1");
    Memo1_->setFont(fixed);
    Memo1_->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo2_ = new QPlainTextEdit(this);
    Memo2_->setObjectName("Memo2");
    Memo2_->setFont(fixed);
    Memo2_->setReadOnly(true);
    Memo2_->setLineWrapMode(QPlainTextEdit::NoWrap);
    traffic->addWidget(Memo1_, 1, 0);
    traffic->addWidget(Memo2_, 1, 1);
    QPushButton* send = Button(this, "Button13", QStringLiteral("送信"));
    traffic->addWidget(send, 2, 0, Qt::AlignLeft);
    layout->addLayout(traffic, 1);
    connect(send, &QPushButton::clicked, this, [this] { Guarded([this] { SendTyped(); }); });
}

QWidget* TfrmFileMon::BuildOtherTab()
{
    auto* page = new QWidget;
    page->setObjectName("TabSheet1");
    auto* layout = new QHBoxLayout(page);
    QPushButton* nop = Button(page, "Button4", QStringLiteral("NOP"));
    QPushButton* status = Button(page, "Button3", QStringLiteral("GET STATUS"));
    QPushButton* format = Button(page, "Button15", QStringLiteral("FORMAT"));
    QPushButton* space = Button(page, "Button16", QStringLiteral("FREE SPACE"));
    for (QPushButton* b : {nop, status, format, space})
        layout->addWidget(b);
    layout->addStretch(1);
    connect(nop, &QPushButton::clicked, this, [this] {
        Guarded([this] {
            ope_.fileIO().BuildRequest(CMD_NOP);
            ope_.fileIO().Exchange();
        });
    });
    connect(status, &QPushButton::clicked, this, [this] { Guarded([this] { ope_.GetStatus(); }); });
    connect(format, &QPushButton::clicked, this, [this] { Guarded([this] { ope_.Format(); }); });
    connect(space, &QPushButton::clicked, this, [this] { Guarded([this] { ope_.GetFreeSpace(nullptr); }); });
    return page;
}

QWidget* TfrmFileMon::BuildRateTab()
{
    auto* page = new QWidget;
    page->setObjectName("TabSheet2");
    auto* layout = new QHBoxLayout(page);
    ComboBox1_ = new QComboBox(page);
    ComboBox1_->setObjectName("ComboBox1");
    ComboBox1_->setEditable(true);
    ComboBox1_->addItems({QStringLiteral("  9600"), QStringLiteral(" 19200"), QStringLiteral(" 38400"),
                          QStringLiteral(" 57600"), QStringLiteral("115200")});
    ComboBox1_->setCurrentText(QStringLiteral("115200"));
    Button5_ = Button(page, "Button5", QStringLiteral("送信"));
    layout->addWidget(ComboBox1_);
    layout->addWidget(Button5_);
    layout->addStretch(1);
    connect(ComboBox1_, &QComboBox::currentTextChanged, this, [this](const QString& text) {
        int rate = 0;
        Button5_->setEnabled(ReadRateText(text, rate));
    });
    connect(Button5_, &QPushButton::clicked, this, [this] {
        Guarded([this] {
            int rate = 0;
            if (ReadRateText(ComboBox1_->currentText(), rate))
                ope_.SetTransferRate(rate);
        });
    });
    return page;
}

QWidget* TfrmFileMon::BuildFindTab()
{
    auto* page = new QWidget;
    page->setObjectName("TabSheet3");
    auto* layout = new QGridLayout(page);
    Edit1_ = Edit(page, "Edit1", QStringLiteral("M:\\*.*"));
    CSpinEdit1_ = Spin(page, "CSpinEdit1", 0, 15, 0);
    QPushButton* first = Button(page, "Button7", QStringLiteral("FIND FIRST"));
    QPushButton* next = Button(page, "Button8", QStringLiteral("FIND　NEXT"));
    QPushButton* close = Button(page, "Button9", QStringLiteral("FIND　CLOSE"));
    layout->addWidget(Edit1_, 0, 0, 1, 3);
    layout->addWidget(first, 1, 0);
    layout->addWidget(next, 1, 1);
    layout->addWidget(close, 1, 2);
    layout->addWidget(Labelled(page, QStringLiteral("HANDLE"), CSpinEdit1_), 2, 0);
    layout->setRowStretch(3, 1);
    connect(first, &QPushButton::clicked, this, [this] {
        Guarded([this] {
            const int handle = ope_.FindFirst(0, CardPath(Edit1_), &findRecord_);
            CSpinEdit1_->setValue(handle);
        });
    });
    connect(next, &QPushButton::clicked, this,
            [this] { Guarded([this] { ope_.FindNext(CSpinEdit1_->value(), &findRecord_); }); });
    connect(close, &QPushButton::clicked, this, [this] { Guarded([this] { ope_.FindClose(CSpinEdit1_->value()); }); });
    return page;
}

QWidget* TfrmFileMon::BuildReadTab()
{
    auto* page = new QWidget;
    page->setObjectName("TabSheet4");
    auto* layout = new QGridLayout(page);
    Edit2_ = Edit(page, "Edit2", QStringLiteral("M:\\"));
    QPushButton* open = Button(page, "Button10", QStringLiteral("OPEN"));
    CSpinEdit4_ = Spin(page, "CSpinEdit4", 0, INT_MAX, 0);
    CSpinEdit2_ = Spin(page, "CSpinEdit2", 0, kMaxReadStart, 0);
    CSpinEdit3_ = Spin(page, "CSpinEdit3", 0, kMaxReadCount, 0);
    QPushButton* read = Button(page, "Button11", QStringLiteral("ＲＥＡＤ"));
    QPushButton* close = Button(page, "Button12", QStringLiteral("CLOSE"));
    layout->addWidget(Edit2_, 0, 0, 1, 2);
    layout->addWidget(open, 0, 2);
    layout->addWidget(Labelled(page, QStringLiteral("HANDLE"), CSpinEdit4_), 1, 0);
    layout->addWidget(Labelled(page, QStringLiteral("先頭アドレス"), CSpinEdit2_), 2, 0);
    layout->addWidget(Labelled(page, QStringLiteral("バイト数"), CSpinEdit3_), 2, 1);
    layout->addWidget(read, 3, 0);
    layout->addWidget(close, 3, 1);
    layout->setRowStretch(4, 1);
    connect(open, &QPushButton::clicked, this, [this] {
        Guarded([this] {
            uint8_t error = 0;
            const uint32_t handle = ope_.Open(CardPath(Edit2_), kOpenRead, error);
            CSpinEdit4_->setValue(static_cast<int>(std::min<uint32_t>(handle, INT_MAX)));
        });
    });
    connect(read, &QPushButton::clicked, this, [this] {
        Guarded([this] {
            // The data only matters as traffic; the buffer takes it and goes.
            const auto start = static_cast<uint32_t>(CSpinEdit2_->value());
            const auto count = static_cast<uint32_t>(CSpinEdit3_->value());
            std::vector<uint8_t> buffer(static_cast<size_t>(start) + count);
            uint32_t got = 0;
            ope_.Read(static_cast<uint32_t>(CSpinEdit4_->value()), buffer.data(), start, count, got);
        });
    });
    connect(close, &QPushButton::clicked, this, [this] { ope_.Close(static_cast<uint32_t>(CSpinEdit4_->value())); });
    return page;
}

QWidget* TfrmFileMon::BuildVolumeTab()
{
    auto* page = new QWidget;
    page->setObjectName("TabSheet5");
    auto* layout = new QGridLayout(page);
    QPushButton* get = Button(page, "Button6", QStringLiteral("GET VOLUME"));
    Edit3_ = Edit(page, "Edit3", QStringLiteral("TEST"));
    QPushButton* set = Button(page, "Button14", QStringLiteral("SET VOLUME"));
    layout->addWidget(get, 0, 0);
    layout->addWidget(Edit3_, 1, 0);
    layout->addWidget(set, 1, 1);
    layout->setRowStretch(2, 1);
    connect(get, &QPushButton::clicked, this, [this] { Guarded([this] { ope_.GetVolume(); }); });
    connect(set, &QPushButton::clicked, this, [this] { Guarded([this] { ope_.SetVolume(CardPath(Edit3_)); }); });
    return page;
}

QWidget* TfrmFileMon::BuildDirTab()
{
    auto* page = new QWidget;
    page->setObjectName("TabSheet6");
    auto* layout = new QGridLayout(page);
    Edit4_ = Edit(page, "Edit4", QStringLiteral("M:\\TESTDIR"));
    QPushButton* make = Button(page, "Button17", QStringLiteral("MAKE DIR"));
    QPushButton* remove = Button(page, "Button19", QStringLiteral("REMOVE DIR"));
    Edit6_ = Edit(page, "Edit6", QStringLiteral("M:\\RENAME"));
    QPushButton* rename = Button(page, "Button20", QStringLiteral("RENAME DIR"));
    layout->addWidget(Edit4_, 0, 0);
    layout->addWidget(make, 0, 1);
    layout->addWidget(remove, 0, 2);
    layout->addWidget(Edit6_, 1, 0);
    layout->addWidget(rename, 1, 1);
    layout->setRowStretch(2, 1);
    connect(make, &QPushButton::clicked, this, [this] { Guarded([this] { ope_.MakeDir(CardPath(Edit4_)); }); });
    connect(remove, &QPushButton::clicked, this, [this] { Guarded([this] { ope_.Delete(CardPath(Edit4_)); }); });
    connect(rename, &QPushButton::clicked, this,
            [this] { Guarded([this] { ope_.Rename(CardPath(Edit4_), CardPath(Edit6_)); }); });
    return page;
}

QWidget* TfrmFileMon::BuildFileTab()
{
    auto* page = new QWidget;
    page->setObjectName("TabSheet7");
    auto* layout = new QGridLayout(page);
    Edit5_ = Edit(page, "Edit5", QStringLiteral("M:\\"));
    QPushButton* del = Button(page, "Button21", QStringLiteral("DELETE FILE"));
    Edit7_ = Edit(page, "Edit7", QStringLiteral("M:\\"));
    QPushButton* rename = Button(page, "Button22", QStringLiteral("RENAME FILE"));
    layout->addWidget(Edit5_, 0, 0, 1, 2);
    layout->addWidget(del, 0, 2);
    layout->addWidget(Edit7_, 1, 0, 1, 2);
    layout->addWidget(rename, 1, 2);
    struct Box {
        const char* name;
        const char* text;
        uint8_t tag;
    };
    const Box boxes[4] = {{"CheckBox1", "アーカイブ", 32},
                          {"CheckBox4", "システム", 4},
                          {"CheckBox5", "リードオンリー", 1},
                          {"CheckBox6", "隠しファイル", 2}};
    for (int i = 0; i < 4; ++i) {
        auto* box = new QCheckBox(QString::fromUtf8(boxes[i].text), page);
        box->setObjectName(boxes[i].name);
        const uint8_t tag = boxes[i].tag;
        connect(box, &QCheckBox::toggled, this, [this, tag](bool on) {
            attributes_ = on ? static_cast<uint8_t>(attributes_ | tag) : static_cast<uint8_t>(attributes_ & ~tag);
        });
        layout->addWidget(box, 2 + i / 2, i % 2);
    }
    QPushButton* attributes = Button(page, "Button18", QStringLiteral("アトリビュート設定"));
    QPushButton* now = Button(page, "Button23", QStringLiteral("現在の日時を設定"));
    layout->addWidget(attributes, 2, 2);
    layout->addWidget(now, 3, 2);
    layout->setRowStretch(4, 1);
    connect(del, &QPushButton::clicked, this, [this] { Guarded([this] { ope_.Delete(CardPath(Edit5_)); }); });
    connect(rename, &QPushButton::clicked, this,
            [this] { Guarded([this] { ope_.Rename(CardPath(Edit5_), CardPath(Edit7_)); }); });
    connect(attributes, &QPushButton::clicked, this,
            [this] { Guarded([this] { ope_.SetAttributes(attributes_, CardPath(Edit5_)); }); });
    connect(now, &QPushButton::clicked, this, [this] {
        Guarded([this] {
            const DosDateTime stamp = NowAsDos();
            ope_.SetDateTime(CardPath(Edit5_), stamp, stamp, stamp);
        });
    });
    return page;
}

QWidget* TfrmFileMon::BuildWriteTab()
{
    auto* page = new QWidget;
    page->setObjectName("TabSheet8");
    auto* layout = new QGridLayout(page);
    Edit8_ = Edit(page, "Edit8", QStringLiteral("M:\\"));
    QPushButton* open = Button(page, "Button24", QStringLiteral("OPEN"));
    CSpinEdit7_ = Spin(page, "CSpinEdit7", 0, INT_MAX, 0);
    QPushButton* load = Button(page, "Button27", QStringLiteral("PCファイル読み込み"));
    CSpinEdit9_ = Spin(page, "CSpinEdit9", 0, INT_MAX, 0);
    CSpinEdit9_->setSingleStep(64);
    ComboBox2_ = new QComboBox(page);
    ComboBox2_->setObjectName("ComboBox2");
    ComboBox2_->addItems({QStringLiteral("4096"), QStringLiteral("2048"), QStringLiteral("1024"),
                          QStringLiteral(" 512"), QStringLiteral(" 256"), QStringLiteral(" 128"),
                          QStringLiteral("  64")});
    CSpinEdit5_ = Spin(page, "CSpinEdit5", 0, 0, 0);
    CSpinEdit6_ = Spin(page, "CSpinEdit6", 0, static_cast<int>(FileOpe::kMaxWriteData), 2048);
    Button29_ = Button(page, "Button29", QStringLiteral("WRITE"));
    Button25_ = Button(page, "Button25", QStringLiteral("WRITE DATA"));
    Button28_ = Button(page, "Button28", QStringLiteral("全て書き込み"));
    QPushButton* stop = Button(page, "Button30", QStringLiteral("中止"));
    QPushButton* close = Button(page, "Button26", QStringLiteral("CLOSE"));
    Button29_->setEnabled(false);
    Button25_->setEnabled(false);
    Button28_->setEnabled(false);

    layout->addWidget(Edit8_, 0, 0, 1, 2);
    layout->addWidget(open, 0, 2);
    layout->addWidget(Labelled(page, QStringLiteral("HANDLE"), CSpinEdit7_), 0, 3);
    layout->addWidget(load, 1, 0);
    layout->addWidget(Labelled(page, QStringLiteral("総バイト数"), CSpinEdit9_), 1, 1);
    layout->addWidget(Labelled(page, QStringLiteral("パケットサイズ"), ComboBox2_), 1, 2);
    layout->addWidget(Labelled(page, QStringLiteral("先頭アドレス"), CSpinEdit5_), 2, 0);
    layout->addWidget(Labelled(page, QStringLiteral("バイト数"), CSpinEdit6_), 2, 1);
    layout->addWidget(Button29_, 3, 0);
    layout->addWidget(Button25_, 3, 1);
    layout->addWidget(Button28_, 3, 2);
    layout->addWidget(stop, 3, 3);
    layout->addWidget(close, 4, 0);
    layout->setRowStretch(5, 1);

    connect(open, &QPushButton::clicked, this, [this] {
        Guarded([this] {
            uint8_t error = 0;
            const uint32_t handle = ope_.Open(CardPath(Edit8_), kOpenWrite, error);
            CSpinEdit7_->setValue(static_cast<int>(std::min<uint32_t>(handle, INT_MAX)));
        });
    });
    connect(load, &QPushButton::clicked, this, &TfrmFileMon::PickPcFile);
    connect(CSpinEdit9_, &QSpinBox::valueChanged, this, &TfrmFileMon::TotalChanged);
    connect(ComboBox2_, &QComboBox::currentTextChanged, this, &TfrmFileMon::PacketSizeChanged);
    connect(Button29_, &QPushButton::clicked, this, [this] {
        Guarded([this] {
            if (ope_.WriteBegin(static_cast<uint32_t>(CSpinEdit7_->value()),
                                static_cast<uint32_t>(CSpinEdit5_->value()),
                                static_cast<uint32_t>(CSpinEdit9_->value())))
                Button25_->setEnabled(!image_.empty());
        });
    });
    connect(Button25_, &QPushButton::clicked, this, [this] { Guarded([this] { WriteDataPacket(); }); });
    connect(Button28_, &QPushButton::clicked, this, [this] { Guarded([this] { WriteAll(); }); });
    connect(stop, &QPushButton::clicked, this, [this] { StopWriteAll(); });
    connect(close, &QPushButton::clicked, this,
            [this] { Guarded([this] { ope_.Close(static_cast<uint32_t>(CSpinEdit7_->value())); }); });
    ComboBox2_->setCurrentText(QStringLiteral("2048"));
    return page;
}

void TfrmFileMon::Guarded(const std::function<void()>& work)
{
    // A command waits for the device with the event loop running: a second
    // click meanwhile must not start another exchange in the middle of it.
    if (exchanging_)
        return;
    exchanging_ = true;
    work();
    exchanging_ = false;
}

std::string TfrmFileMon::CardPath(const QLineEdit* edit) const
{
    return platform::ToCp932(edit->text().toStdString());
}

// ---------------------------------------------------------------- traffic

void TfrmFileMon::Register(bool on)
{
    if (on)
        ope_.fileIO().SetNotifyWindow(MakeUiObserver(this, [this](uint32_t w, int32_t l) { OnNotify(w, l); }));
    else
        ope_.fileIO().SetNotifyWindow({});
}

void TfrmFileMon::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Register(true);
}

void TfrmFileMon::hideEvent(QHideEvent* event)
{
    if (!event->spontaneous()) {
        Register(false);
        SaveWidgetPlacement(profile_, this);
        stopRequested_ = true;
        DropImage();
    }
    QDialog::hideEvent(event);
}

void TfrmFileMon::OnNotify(uint32_t, int32_t lParam)
{
    if (CheckBox2_->isChecked())
        return;
    const CFileIO& io = ope_.fileIO();
    Memo1_->setPlainText(FrameLines(io.request(), FrameLength(io.request())));
    if (lParam == XFER_ERR_NOREPLY)
        Memo2_->setPlainText(QStringLiteral("TIMEOUT!"));
    else
        Memo2_->setPlainText(FrameLines(io.reply(), FrameLength(io.reply())));
}

void TfrmFileMon::SendTyped()
{
    std::vector<uint8_t> bytes(CFileIO::kBufferSize);
    const std::string typed = Memo1_->toPlainText().toStdString();
    const size_t count = ParseHexBytes(typed, bytes.data(), bytes.size());
    if (count < 2)
        return;  // no command code typed
    size_t length = 0;
    if (count >= 4)
        length = std::min<size_t>(static_cast<size_t>(bytes[2]) | static_cast<size_t>(bytes[3]) << 8, count - 4);
    // The request must fit the link's buffer with its six framing bytes.
    length = std::min(length, CFileIO::kBufferSize - 6);
    CFileIO& io = ope_.fileIO();
    io.BuildRequest(bytes[1], length > 0 ? bytes.data() + 4 : nullptr, static_cast<uint16_t>(length));
    io.ExchangeRetry(ope_.attemptCount());
}

// ---------------------------------------------------------------- writing

void TfrmFileMon::PickPcFile()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    const QString path =
        QFileDialog::getOpenFileName(this, QString(), desktop + QStringLiteral("/*.*"), QStringLiteral("*.*"));
    if (!path.isEmpty())
        LoadImage(path);
}

bool TfrmFileMon::LoadImage(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    // The byte counts of the write commands are 32 bits and the spin boxes
    // hold up to INT_MAX: larger files are refused like empty ones.
    if (size <= 0 || size > INT_MAX)
        return false;
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    qint64 done = 0;
    while (done < size) {
        const qint64 got = file.read(reinterpret_cast<char*>(bytes.data()) + done, size - done);
        if (got <= 0)
            return false;
        done += got;
    }
    image_ = std::move(bytes);
    CSpinEdit9_->setValue(static_cast<int>(size));
    TotalChanged(static_cast<int>(size));
    Button28_->setEnabled(true);
    Button29_->setEnabled(true);
    return true;
}

void TfrmFileMon::DropImage()
{
    image_.clear();
    image_.shrink_to_fit();
    Button25_->setEnabled(false);
    Button28_->setEnabled(false);
    Button29_->setEnabled(false);
}

void TfrmFileMon::TotalChanged(int total)
{
    CSpinEdit5_->setMaximum(std::max(0, total));
}

void TfrmFileMon::PacketSizeChanged(const QString& text)
{
    bool ok = false;
    const int size = text.trimmed().toInt(&ok);
    if (ok)
        CSpinEdit6_->setValue(size);
}

bool TfrmFileMon::WriteDataPacket()
{
    const int total = CSpinEdit9_->value();
    const int start = CSpinEdit5_->value();
    const int step = CSpinEdit6_->value();
    // Never past the loaded image, whatever the total says.
    const int available = static_cast<int>(std::min<size_t>(image_.size(), static_cast<size_t>(INT_MAX)));
    const int end = std::min(total, available);
    if (start >= end)
        return false;
    const int count = std::min(step, end - start);
    const bool sent = ope_.WriteData(static_cast<uint32_t>(start), static_cast<uint32_t>(count), image_.data() + start);
    const long long next = static_cast<long long>(start) + step;
    CSpinEdit5_->setValue(static_cast<int>(std::min<long long>(next, total)));
    const int moved = CSpinEdit5_->value();
    if (static_cast<long long>(moved) + CSpinEdit6_->value() > total)
        CSpinEdit6_->setValue(total - moved);
    return sent;
}

bool TfrmFileMon::WriteAll()
{
    if (writingAll_ || image_.empty())
        return false;
    writingAll_ = true;
    stopRequested_ = false;
    Button28_->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool completed = false;
    if (ope_.WriteBegin(static_cast<uint32_t>(CSpinEdit7_->value()), static_cast<uint32_t>(CSpinEdit5_->value()),
                        static_cast<uint32_t>(CSpinEdit9_->value()))) {
        const int end = std::min<int>(CSpinEdit9_->value(), static_cast<int>(image_.size()));
        while (!stopRequested_) {
            if (CSpinEdit5_->value() >= end) {
                completed = true;
                break;
            }
            if (!WriteDataPacket())
                break;
        }
        CSpinEdit5_->setValue(0);
        bool ok = false;
        const int packet = ComboBox2_->currentText().trimmed().toInt(&ok);
        CSpinEdit6_->setValue(ok ? packet : 2048);
    }
    QApplication::restoreOverrideCursor();
    Button28_->setEnabled(!image_.empty());
    writingAll_ = false;
    return completed;
}

}  // namespace talvix::ui
