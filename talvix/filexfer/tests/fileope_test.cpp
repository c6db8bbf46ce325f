// Card operations against a device played by hand: exact request payloads
// and the handling of odd replies.
#include "talvix/filexfer/FileOpe.h"

#include <gtest/gtest.h>

#include <mutex>

#include "FakeDevice.h"
#include "platform/FileTime.h"
#include "platform/Tick.h"

using namespace talvix;
using testing_fx::FakeDevice;
using testing_fx::Frame;

namespace {

struct OneDevice : DeviceSelection {
    int id = 5, count = 1, rate = 115200;
    int CurrentDeviceID() const override { return id; }
    int DeviceCount() const override { return count; }
    int TransferRate() const override { return rate; }
};

struct Card {
    explicit Card(FakeDevice::Answer answer) : device(std::move(answer)), ope(selk, devices)
    {
        EXPECT_TRUE(selk.OpenPath(device.path(), 1));
        EXPECT_TRUE(selk.Setup());
        EXPECT_TRUE(selk.SetReadTimeout(2000));
    }
    std::vector<uint8_t> LastPayload()
    {
        const auto reqs = device.Requests();
        if (reqs.empty())
            return {};
        const auto& r = reqs.back();
        return std::vector<uint8_t>(r.begin() + 4, r.end() - 2);
    }
    OneDevice devices;
    FakeDevice device;
    CSelkIO selk;
    FileOpe ope;
};

FakeDevice::Answer Always(std::vector<uint8_t> payload, uint8_t code = 0x06)
{
    return [payload, code](const std::vector<uint8_t>&) { return Frame(code, payload); };
}

uint32_t GetLe32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

std::vector<uint8_t> Bytes(const std::string& s)
{
    return std::vector<uint8_t>(s.begin(), s.end());
}

}  // namespace

TEST(FileOpe, RequestPayloadsOfTheExamples)
{
    Card card(Always({0, 1, 0, 0, 0}));
    uint8_t error = 0x77;
    EXPECT_EQ(card.ope.Open("M:\\DCIM\\A.JPG", kOpenRead, error), 1u);
    EXPECT_EQ(error, 0x77);  // left alone when opened
    auto payload = card.LastPayload();
    EXPECT_EQ(payload.size(), 15u);
    EXPECT_EQ(payload, Bytes(std::string("\0\x80M:\\DCIM\\A.JPG", 15)));

    EXPECT_TRUE(card.ope.Rename("M:\\A", "M:\\B"));
    EXPECT_EQ(card.LastPayload(), (std::vector<uint8_t>{0x4D, 0x3A, 0x5C, 0x41, 0x00, 0x4D, 0x3A, 0x5C, 0x42}));

    EXPECT_TRUE(card.ope.SetDateTime("M:\\X", {0x1234, 0x5678}, {0x1234, 0x5678}, {0x1234, 0x5678}));
    EXPECT_EQ(card.LastPayload(), (std::vector<uint8_t>{0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12,
                                                        0x78, 0x56, 'M', ':', '\\', 'X'}));
    EXPECT_TRUE(card.ope.SetAttributes(0x21, "M:\\X"));
    EXPECT_EQ(card.LastPayload(), Bytes("\x21M:\\X"));
    const uint8_t data[3] = {7, 8, 9};
    EXPECT_TRUE(card.ope.WriteData(0x100, 3, data));
    EXPECT_EQ(card.LastPayload(), (std::vector<uint8_t>{0, 1, 0, 0, 3, 0, 0, 0, 7, 8, 9}));
    EXPECT_TRUE(card.ope.WriteBegin(2, 0, 5000));
    EXPECT_EQ(card.LastPayload(), (std::vector<uint8_t>{2, 0, 0, 0, 0, 0, 0, 0, 0x88, 0x13, 0, 0}));
    EXPECT_FALSE(card.ope.WriteData(0, FileOpe::kMaxWriteData + 1, data));
}

TEST(FileOpe, OpenErrors)
{
    {
        Card card(Always({3, 0, 0, 0, 0}));
        uint8_t error = 0;
        EXPECT_EQ(card.ope.Open("M:\\NONE", kOpenRead, error), 0u);
        EXPECT_EQ(error, 3);
    }
    {
        Card card(Always({5}, 0x15));  // refused for good
        uint8_t error = 0;
        EXPECT_EQ(card.ope.Open("M:\\NONE", kOpenRead, error), 0u);
        EXPECT_EQ(error, 0xFF);
    }
}

TEST(FileOpe, ReadChecksItsBounds)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> payload;
        bool ok;
        uint32_t count;
    } cases[] = {
        {"four bytes", {0, 0, 0, 0, 4, 0, 0, 0, 'a', 'b', 'c', 'd'}, true, 4},
        {"n above the largest count", {0, 0, 0, 0, 0x88, 0x13, 0, 0, 'a'}, false, 99},
        {"n above the payload", {0, 0, 0, 0, 200, 0, 0, 0, 'a', 'b'}, false, 99},
        {"payload too short", {0, 0, 0}, false, 99},
        {"zero bytes", {0, 0, 0, 0, 0, 0, 0, 0}, true, 0},
    };
    for (const Case& c : cases) {
        Card card(Always(c.payload));
        std::vector<uint8_t> image(4096 + 16, 0xEE);
        uint32_t count = 99;
        EXPECT_EQ(card.ope.Read(1, image.data(), 16, 4096, count), c.ok) << c.what;
        EXPECT_EQ(count, c.count) << c.what;
        if (c.ok && c.count == 4) {
            EXPECT_EQ(image[15], 0xEE);
            EXPECT_EQ(image[16], 'a');
            EXPECT_EQ(image[19], 'd');
            EXPECT_EQ(image[20], 0xEE);
        }
        EXPECT_EQ(card.LastPayload(), (std::vector<uint8_t>{1, 0, 0, 0, 16, 0, 0, 0, 0, 0x10, 0, 0})) << c.what;
    }
    Card refused(Always({5}, 0x15));
    std::vector<uint8_t> image(16);
    uint32_t count = 99;
    EXPECT_FALSE(refused.ope.Read(1, image.data(), 0, 16, count));
    EXPECT_EQ(count, 0u);
    count = 99;
    EXPECT_FALSE(refused.ope.Read(1, nullptr, 0, 16, count));  // no buffer: no request
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(refused.device.Requests().size(), 1u);
}

TEST(FileOpe, FindEntries)
{
    // A full entry: handle 3, archive, 2024-05-06 07:08:10, 1234 bytes.
    const uint16_t date = (44 << 9) | (5 << 5) | 6, time = (7 << 11) | (8 << 5) | 5;
    std::vector<uint8_t> entry = {3, 0x20};
    for (int i = 0; i < 3; ++i) {
        entry.push_back(date & 0xFF);
        entry.push_back(date >> 8);
        entry.push_back(time & 0xFF);
        entry.push_back(time >> 8);
    }
    entry.insert(entry.end(), {0xD2, 0x04, 0, 0});
    const std::string name = "IMG_0001.JPG";
    entry.insert(entry.end(), name.begin(), name.end());
    {
        Card card(Always(entry));
        platform::FindData fd;
        EXPECT_EQ(card.ope.FindFirst(0, "M:\\*.*", &fd), 3);
        EXPECT_EQ(card.LastPayload(), Bytes(std::string("\0M:\\*.*", 7)));
        EXPECT_EQ(fd.cFileName, name);
        EXPECT_EQ(fd.dwFileAttributes, 0x20u);
        EXPECT_EQ(fd.nFileSizeLow, 1234u);
        EXPECT_EQ(fd.nFileSizeHigh, 0u);
        EXPECT_TRUE(fd.cAlternateFileName.empty());
        platform::SystemTime st;
        ASSERT_TRUE(platform::FileTimeToSystemTime(fd.ftLastWriteTime, st));
        EXPECT_EQ(st.wYear, 2024);
        EXPECT_EQ(st.wMonth, 5);
        EXPECT_EQ(st.wDay, 6);
        EXPECT_EQ(st.wHour, 7);
        EXPECT_EQ(st.wSecond, 10);
        EXPECT_EQ(card.ope.FindNext(3, &fd), 1);
        EXPECT_EQ(card.LastPayload(), (std::vector<uint8_t>{3}));
    }
    {
        // Three bytes: handle, attributes, one date byte -> an empty name.
        Card card(Always({2, 0x10, 0x21}));
        platform::FindData fd;
        fd.cFileName = "old";
        EXPECT_EQ(card.ope.FindFirst(0, "M:\\*.*", &fd), 2);
        EXPECT_EQ(fd.cFileName, "");
        EXPECT_EQ(fd.dwFileAttributes, 0x10u);
    }
    {
        // A 300-byte name is cut to 259 bytes.
        auto longEntry = entry;
        longEntry.resize(18);
        longEntry.insert(longEntry.end(), 300, 'N');
        Card card(Always(longEntry));
        platform::FindData fd;
        EXPECT_EQ(card.ope.FindFirst(0, "M:\\*.*", &fd), 3);
        EXPECT_EQ(fd.cFileName.size(), 259u);
    }
    {
        Card card(Always({0, 0, 0}));
        platform::FindData fd;
        EXPECT_EQ(card.ope.FindNext(1, &fd), 0);  // no further entry
        EXPECT_EQ(card.ope.FindNext(-1, &fd), 0);
        EXPECT_EQ(card.ope.FindFirst(0, "", &fd), 0);
        EXPECT_EQ(card.ope.FindFirst(0, "M:\\*.*", nullptr), 0);
        EXPECT_FALSE(card.ope.FindClose(-1));
        EXPECT_EQ(card.device.Requests().size(), 1u);  // only the first FindNext went out
    }
    {
        Card card(Always({5}, 0x15));
        platform::FindData fd;
        EXPECT_EQ(card.ope.FindNext(1, &fd), -1);
        EXPECT_EQ(card.ope.FindFirst(0, "M:\\*.*", &fd), 0);
    }
}

TEST(FileOpe, BlockSizeFromStatusByteThree)
{
    const std::pair<uint8_t, int> cases[] = {{0x28, 1024}, {0x29, 4096}, {0x41, 4096}, {0x06, 128},
                                             {0x00, 0},    {0x02, 64},   {0x80, 4096}, {0x40, 2048}};
    for (const auto& [byte, size] : cases)
        EXPECT_EQ(FileOpe::BlockSizeFromStatus(byte), size) << int(byte);
}

TEST(FileOpe, StatusVolumeAndFreeSpace)
{
    {
        std::vector<uint8_t> volume = {1, 2, 3, 4, 5, 6, 'C', 'A', 'M', 0x03, 'X', 'Y'};
        Card card([&](const std::vector<uint8_t>& req) {
            switch (req[1]) {
            case CMD_GET_STATUS: return Frame(0x06, {0x00, 0x05, 0x00, 0x28});
            case CMD_GET_VOLUME: return Frame(0x06, volume);
            case CMD_FREE_SPACE: return Frame(0x06, {100, 0, 0, 0, 8, 0, 0, 0, 0, 2, 0, 0, 9, 9, 9, 9});
            default: return Frame(0x15, {5});
            }
        });
        ASSERT_TRUE(card.ope.GetStatus());
        EXPECT_EQ(card.ope.status()[1], 0x05);
        EXPECT_EQ(FileOpe::BlockSizeFromStatus(card.ope.status()[3]), 1024);
        ASSERT_TRUE(card.ope.GetVolume());
        EXPECT_EQ(card.ope.VolumeLabel(), "CAM");
        EXPECT_EQ(card.ope.volumeRecord()[9], 0);
        uint32_t free[4];
        ASSERT_TRUE(card.ope.GetFreeSpace(free));
        EXPECT_EQ(FileOpe::FreeBytes(free), 100u * 8u * 512u);
        EXPECT_TRUE(card.ope.GetFreeSpace(nullptr));
        EXPECT_FALSE(card.ope.Format());
    }
    {
        Card card(Always({5}, 0x15));
        EXPECT_FALSE(card.ope.GetStatus());
        EXPECT_EQ(card.ope.status(), (std::array<uint8_t, 4>{0, 0, 0, 0}));
        EXPECT_FALSE(card.ope.GetVolume());
        EXPECT_EQ(card.ope.VolumeLabel(), "");
        uint32_t free[4] = {1, 1, 1, 1};
        EXPECT_FALSE(card.ope.GetFreeSpace(free));
        EXPECT_EQ(free[0] | free[1] | free[2] | free[3], 0u);
    }
    {
        // Without 0x03 in the payload the label ends at the frame's own end byte.
        Card card(Always({0, 0, 0, 0, 0, 0, 'S', 'D'}));
        ASSERT_TRUE(card.ope.GetVolume());
        EXPECT_EQ(card.ope.VolumeLabel(), "SD");
    }
}

TEST(FileOpe, FreeBytesWrapsAt32Bits)
{
    const uint32_t record[4] = {0x10000, 0x100, 0x200, 0};
    EXPECT_EQ(FileOpe::FreeBytes(record), 0u);
}

TEST(FileOpe, AttemptCountOfOne)
{
    Card card(Always({1}, 0x15));  // "try again" every time
    card.ope.SetAttemptCount(1);
    EXPECT_FALSE(card.ope.Format());
    EXPECT_EQ(card.device.Requests().size(), 1u);
    card.ope.SetAttemptCount(3);
    EXPECT_FALSE(card.ope.Format());
    EXPECT_EQ(card.device.Requests().size(), 4u);
}

// Well-framed replies with arbitrary payloads of arbitrary length: every
// decoder stays inside the reply and inside the caller's buffers.
TEST(FileOpe, ArbitraryPayloadsStayInsideTheirBounds)
{
    std::mutex mutex;
    std::vector<uint8_t> payload;
    Card card([&](const std::vector<uint8_t>&) {
        std::lock_guard lock(mutex);
        return Frame(0x06, payload);
    });
    card.ope.SetAttemptCount(1);
    uint32_t seed = 20240611;
    auto next = [&] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<uint8_t>(seed >> 16);
    };
    for (int round = 0; round < 24; ++round) {
        {
            std::lock_guard lock(mutex);
            payload.resize(static_cast<size_t>(next()) + (round % 2 ? 0 : next()));  // 0..510 bytes
            for (uint8_t& b : payload)
                b = next();
            if (round % 3 == 0 && payload.size() >= 8) {
                // A READ reply whose n matches what it carries.
                const uint32_t n = static_cast<uint32_t>(payload.size() - 8);
                payload[4] = static_cast<uint8_t>(n);
                payload[5] = static_cast<uint8_t>(n >> 8);
                payload[6] = payload[7] = 0;
            }
        }
        const size_t length = payload.size();

        std::vector<uint8_t> image(32 + 4096 + 32, 0xEE);
        uint32_t count = 12345;
        const bool read = card.ope.Read(1, image.data() + 32, 0, 4096, count);
        EXPECT_TRUE(read || round % 3 != 0 || length < 8);
        if (read) {
            ASSERT_GE(length, 8u);
            EXPECT_LE(count, length - 8);
            EXPECT_TRUE(std::equal(image.begin() + 32, image.begin() + 32 + count, payload.begin() + 8));
        } else {
            EXPECT_EQ(count, 12345u);  // accepted but not taken: count untouched
        }
        EXPECT_EQ(image[31], 0xEE);
        EXPECT_EQ(image[32 + 4096], 0xEE);

        platform::FindData fd;
        const int handle = card.ope.FindFirst(0, "M:\\*.*", &fd);
        EXPECT_EQ(handle, length ? payload[0] : 0);
        EXPECT_LE(fd.cFileName.size(), 259u);
        EXPECT_LE(fd.cFileName.size(), length > 18 ? length - 18 : 0);
        const int more = card.ope.FindNext(1, &fd);
        EXPECT_EQ(more, length && payload[0] ? 1 : 0);

        EXPECT_EQ(card.ope.GetVolume(), length >= 6);
        EXPECT_LT(card.ope.VolumeLabel().size(), FileOpe::kVolumeRecordSize - 6 + 1);
        EXPECT_EQ(card.ope.GetStatus(), length >= 4);
        uint32_t free[4];
        EXPECT_EQ(card.ope.GetFreeSpace(free), length >= 16);
        uint8_t error = 0;
        const uint32_t opened = card.ope.Open("M:\\A", kOpenRead, error);
        EXPECT_EQ(opened, length >= 5 && payload[0] == 0 ? GetLe32(payload.data() + 1) : 0u);
    }
}
