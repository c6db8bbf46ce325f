#pragma once
// Shared set-up of the device window tests: a QApplication with the Qt wait
// hook, a private registry file whose port map points COM1 at the emulator,
// and the shipped text tables in English.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/QtPump.h"
#include "talvix/serial/CSelkIO.h"
#include "talvix/serial/CSelkReg.h"
#include "talvix/serial/SelkSys.h"
#include "talvix/serial/SerialPortMap.h"
#include "talvix/settings/MLang.h"
#include "tools/selksim/testing/SelkSimProcess.h"

namespace talvix::ui::testing {

inline QApplication& App()
{
    static int argc = 1;
    static char name[] = "device_ui_test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's input devices must not be torn down by exit handlers.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

class DeviceUiFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        pump_ = std::make_unique<platform::QtPump>();
        char tmpl[] = "/tmp/devui-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        registry_ = dir_ + "/machine.reg";
        setenv("MARLO_REGISTRY", registry_.c_str(), 1);
        reg_ = std::make_unique<CSelkReg>(registry_);
        lang_.SetLanguage(MLang::kEnglish);
        lang_.LoadStyleTable(std::string(SUITE_SOURCE_DIR) + "/talvix/data/tv10.sty");
        ASSERT_TRUE(lang_.LoadCaptionTable(std::string(SUITE_SOURCE_DIR) + "/talvix/data/tv10.cpt"));
    }

    void TearDown() override
    {
        io_.Close();
        sim_.reset();
        pump_.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    // Starts the emulator with these devices ("--device" settings) and other
    // arguments, and maps COM1 to its line.
    void StartSim(const std::vector<std::string>& devices, std::vector<std::string> args = {})
    {
        for (const std::string& d : devices) {
            args.push_back("--device");
            args.push_back(d);
        }
        sim_ = std::make_unique<selksim::SelkSimProcess>(args);
        ASSERT_TRUE(sim_->Start()) << sim_->startError();
        ASSERT_TRUE(SerialPortMap(registry_).SetDevicePath(1, sim_->linkPath()));
    }

    void SetValue(const std::string& name, int value) { ASSERT_TRUE(reg_->WriteValue("INIT", name, value)); }

    // The value, or -1 when it is missing.
    long long Value(const std::string& name)
    {
        uint32_t value = 0;
        return reg_->ReadValue("INIT", name, value) ? static_cast<long long>(value) : -1;
    }

    // Frames the PC sent whose command bytes (from byte 3) start with `hex`.
    size_t Sent(const std::string& hex)
    {
        usleep(20000);
        size_t n = 0;
        for (const std::string& f : sim_->Frames("pc"))
            if (f.size() > 9 && f.compare(9, hex.size(), hex) == 0)
                ++n;
        return n;
    }

    std::string dir_;
    std::string registry_;
    std::unique_ptr<platform::QtPump> pump_;
    std::unique_ptr<CSelkReg> reg_;
    std::unique_ptr<selksim::SelkSimProcess> sim_;
    MLang lang_;
    CSelkIO io_;
    SelkSys sys_{io_};
};

}  // namespace talvix::ui::testing
