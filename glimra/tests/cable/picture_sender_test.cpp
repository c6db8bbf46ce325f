// The cable transfer of pictures against the device emulator.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "glimra/core/CommandIds.h"
#include "glimra/core/PictureSender.h"
#include "platform/Registry.h"
#include "tools/selksim/testing/SelkSimProcess.h"

namespace fs = std::filesystem;
using namespace glimra;

namespace {

constexpr const char* kInit = "HKEY_LOCAL_MACHINE\\Software\\Marlo\\SELK\\INIT";
constexpr const char* kPorts = "HKEY_LOCAL_MACHINE\\Software\\Marlo\\SELK\\Ports";

class CableSend : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/picsend-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        top = tmpl;
        card = top + "/card";
        registry = top + "/machine.reg";
        fs::create_directories(card);
        picture = top + "/IMG000001.TMP";
        contents.clear();
        for (int i = 0; i < 20000; ++i) contents.push_back(char((i * 7) ^ (i >> 5)));
        std::ofstream(picture, std::ios::binary) << contents;
    }
    void TearDown() override {
        sim.reset();
        fs::remove_all(top);
    }

    void StartDevice(const std::string& extra = "") {
        sim = std::make_unique<selksim::SelkSimProcess>(
            std::vector<std::string>{"--device", "id=4,name=CAM,card=" + card + extra});
        ASSERT_TRUE(sim->Start()) << sim->startError();
        platform::Registry reg(registry);
        ASSERT_TRUE(reg.SetString(kPorts, "COM2", sim->linkPath()));
        ASSERT_TRUE(reg.SetDword(kInit, "COM", 2));
        ASSERT_TRUE(reg.SetDword(kInit, "CurID", 4));
        ASSERT_TRUE(reg.SetDword(kInit, "DEVICES", 1));
        ASSERT_TRUE(reg.SetDword(kInit, "BAUDRATE", 115200));
    }

    std::string ReadCard(const std::string& name) {
        std::ifstream f(card + "/" + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }

    std::string top, card, registry, picture, contents;
    std::unique_ptr<selksim::SelkSimProcess> sim;
};

}  // namespace

TEST_F(CableSend, TheFileLandsInTheCardRootUnderItsTransferName) {
    StartDevice();
    PictureSender sender(registry);
    EXPECT_EQ(sender.Send(1, {picture}, {"ABCDEFGH.UPF"}), kSendFinished);
    EXPECT_EQ(ReadCard("ABCDEFGH.UPF"), contents);
    // A second picture of the same name replaces the first.
    contents = "short picture";
    std::ofstream(picture, std::ios::binary | std::ios::trunc) << contents;
    EXPECT_EQ(sender.Send(1, {picture}, {"ABCDEFGH.UPF"}), kSendFinished);
    EXPECT_EQ(ReadCard("ABCDEFGH.UPF"), contents);
}

TEST_F(CableSend, ProblemsAreReportedAsFailure) {
    StartDevice(",status=00000001");  // no card in the device
    PictureSender sender(registry);
    EXPECT_EQ(sender.Send(1, {picture}, {"ABCDEFGH.UPF"}), kSendFailure);
    EXPECT_FALSE(fs::exists(card + "/ABCDEFGH.UPF"));

    EXPECT_EQ(sender.Send(1, {top + "/missing.TMP"}, {"X_______.UPF"}), kSendFailure);
    EXPECT_EQ(sender.Send(1, {}, {}), kSendNothingToReport);

    platform::Registry reg(registry);
    ASSERT_TRUE(reg.SetDword(kInit, "CurID", 0));  // no current device
    EXPECT_EQ(sender.Send(1, {picture}, {"ABCDEFGH.UPF"}), kSendFailure);
    EXPECT_EQ(PictureSender(top + "/empty.reg").Send(1, {picture}, {"ABCDEFGH.UPF"}), kSendFailure);
}

TEST_F(CableSend, ADeviceThatRefusesTheSwitchDoesNotSupportIt) {
    // A device without a card slot (a printer) refuses the switch.
    sim = std::make_unique<selksim::SelkSimProcess>(std::vector<std::string>{"--device", "id=4,name=PRN"});
    ASSERT_TRUE(sim->Start()) << sim->startError();
    platform::Registry reg(registry);
    ASSERT_TRUE(reg.SetString(kPorts, "COM2", sim->linkPath()));
    ASSERT_TRUE(reg.SetDword(kInit, "COM", 2));
    ASSERT_TRUE(reg.SetDword(kInit, "CurID", 4));
    ASSERT_TRUE(reg.SetDword(kInit, "DEVICES", 1));
    PictureSender sender(registry);
    EXPECT_EQ(sender.Send(1, {picture}, {"ABCDEFGH.UPF"}), kSendNotSupported);
}

TEST_F(CableSend, NoAnswerFromTheDeviceIsAFailure) {
    StartDevice();
    platform::Registry reg(registry);
    ASSERT_TRUE(reg.SetDword(kInit, "CurID", 9));  // nobody answers as device 9
    PictureSender sender(registry);
    EXPECT_EQ(sender.Send(1, {picture}, {"ABCDEFGH.UPF"}), kSendFailure);
}
