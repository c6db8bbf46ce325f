#include "talvix/serial/CSelkReg.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "platform/Registry.h"

using namespace talvix;

namespace {

class CSelkRegTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/selkreg-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        path = dir + "/machine.reg";
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string dir, path;
};

}  // namespace

TEST_F(CSelkRegTest, MissingKeyReadsNothing)
{
    CSelkReg reg(path);
    uint32_t value = 77;
    for (const char* name : {"COM", "CurID", "DEVICES", "BAUDRATE"})
        EXPECT_FALSE(reg.ReadValue("INIT", name, value));
    EXPECT_EQ(value, 77u);
}

TEST_F(CSelkRegTest, WritesDwordsUnderTheSelkKey)
{
    CSelkReg reg(path);
    ASSERT_TRUE(reg.WriteValue("INIT", "COM", 2));
    ASSERT_TRUE(reg.WriteValue("INIT", "BAUDRATE", 57600));
    ASSERT_TRUE(reg.WriteValue("INIT", "ID0", -1));
    EXPECT_EQ(reg.lastKey(), "HKEY_LOCAL_MACHINE\\Software\\Marlo\\SELK\\INIT");
    uint32_t value = 0;
    ASSERT_TRUE(reg.ReadValue("INIT", "BAUDRATE", value));
    EXPECT_EQ(value, 57600u);
    ASSERT_TRUE(reg.ReadValue("init", "id0", value));  // key and value names ignore case
    EXPECT_EQ(value, 0xFFFFFFFFu);

    platform::Registry store(path);
    const auto raw = store.GetValue("HKEY_LOCAL_MACHINE\\Software\\Marlo\\SELK\\INIT", "COM");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, platform::REG_DWORD);
    EXPECT_EQ(raw->data, (std::vector<uint8_t>{2, 0, 0, 0}));
}

TEST_F(CSelkRegTest, ValuesOfOtherTypesAreReadByTheirBytes)
{
    platform::Registry store(path);
    const std::string key = "HKEY_LOCAL_MACHINE\\Software\\Marlo\\SELK\\INIT";
    ASSERT_TRUE(store.SetValue(key, "Four", {platform::REG_BINARY, {0x01, 0x02, 0x03, 0x04}}));
    ASSERT_TRUE(store.SetValue(key, "Two", {platform::REG_BINARY, {0x05, 0x06}}));
    ASSERT_TRUE(store.SetValue(key, "Long", {platform::REG_BINARY, {1, 2, 3, 4, 5}}));
    CSelkReg reg(path);
    uint32_t value = 0;
    ASSERT_TRUE(reg.ReadValue("INIT", "Four", value));
    EXPECT_EQ(value, 0x04030201u);
    value = 0xAABBCCDD;
    ASSERT_TRUE(reg.ReadValue("INIT", "Two", value));
    EXPECT_EQ(value, 0xAABB0605u);
    EXPECT_FALSE(reg.ReadValue("INIT", "Long", value));
}

TEST_F(CSelkRegTest, ShorterListRemovesTheSurplusEntries)
{
    CSelkReg reg(path);
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(reg.WriteValue("INIT", "ID" + std::to_string(i), 10 + i));
    for (int i = 3; i < 100; ++i)
        reg.DeleteValue("INIT", "ID" + std::to_string(i));
    EXPECT_EQ(reg.lastResult(), 0);
    uint32_t value = 0;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(reg.ReadValue("INIT", "ID" + std::to_string(i), value));
        EXPECT_EQ(value, static_cast<uint32_t>(10 + i));
    }
    EXPECT_FALSE(reg.ReadValue("INIT", "ID3", value));
    EXPECT_FALSE(reg.ReadValue("INIT", "ID4", value));
}

TEST_F(CSelkRegTest, UnwritableStoreFailsQuietly)
{
    // The registry's folder is a plain file: nothing can be stored.
    FILE* f = fopen((dir + "/plain").c_str(), "w");
    ASSERT_NE(f, nullptr);
    fclose(f);
    CSelkReg reg(dir + "/plain/machine.reg");
    EXPECT_FALSE(reg.WriteValue("INIT", "COM", 1));
    EXPECT_NE(reg.lastResult(), 0);
}
