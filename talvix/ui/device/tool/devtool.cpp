// A small program to try the device dialog and the two monitors by hand,
// for example against selksim: map COM1 to the emulator's line in the
// registry file ($MARLO_REGISTRY) and press "Devices...".
#include <QApplication>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include "platform/qt/QtPump.h"
#include "talvix/filexfer/FileOpe.h"
#include "talvix/serial/CSelkIO.h"
#include "talvix/serial/CSelkReg.h"
#include "talvix/serial/SelkSys.h"
#include "talvix/settings/CProfile.h"
#include "talvix/settings/MLang.h"
#include "talvix/ui/device/TfrmFileMon.h"
#include "talvix/ui/device/TfrmMonitor.h"
#include "talvix/ui/device/TfrmSelkDev.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    platform::QtPump pump;

    talvix::CProfile profile;
    talvix::MLang lang;
    lang.SelectLanguage();
    lang.LoadStyleTable(profile.programFolder() + "/tv10.sty");
    lang.LoadCaptionTable(profile.programFolder() + "/tv10.cpt");
    talvix::CSelkIO io;
    talvix::CSelkReg reg;
    talvix::SelkSys sys(io);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Talvix devices"));
    talvix::ui::TfrmSelkDev devices(lang, io, sys, reg, &window);
    talvix::FileOpe ope(io, devices);
    talvix::ui::TfrmMonitor monitor(&window);
    monitor.SetSelkIO(&io);
    talvix::ui::TfrmFileMon fileMonitor(ope, profile, &window);

    auto* layout = new QVBoxLayout(&window);
    auto* choose = new QPushButton(QStringLiteral("Devices..."), &window);
    auto* selk = new QPushButton(QStringLiteral("SELK Monitor"), &window);
    auto* xfer = new QPushButton(QStringLiteral("File Transfer Monitor"), &window);
    layout->addWidget(choose);
    layout->addWidget(selk);
    layout->addWidget(xfer);
    QObject::connect(choose, &QPushButton::clicked, &window, [&] { devices.ShowCentred(&window); });
    QObject::connect(selk, &QPushButton::clicked, &window, [&] { monitor.show(); });
    QObject::connect(xfer, &QPushButton::clicked, &window, [&] { fileMonitor.show(); });
    window.show();
    devices.LoadDevices();
    const int result = app.exec();
    io.Close();
    return result;
}
