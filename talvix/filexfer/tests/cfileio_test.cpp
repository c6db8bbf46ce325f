#include "talvix/filexfer/CFileIO.h"

#include <gtest/gtest.h>

#include "FakeDevice.h"
#include "platform/Tick.h"

using namespace talvix;
using testing_fx::FakeDevice;
using testing_fx::Frame;

namespace {

struct Link {
    explicit Link(FakeDevice::Answer answer) : device(std::move(answer)), io(port)
    {
        EXPECT_TRUE(port.OpenPath(device.path(), 1));
        EXPECT_TRUE(port.Setup());
        EXPECT_TRUE(port.SetReadTimeout(2000));
    }
    FakeDevice device;
    CComm port;
    CFileIO io;
};

std::vector<uint8_t> Request(const CFileIO& io)
{
    return std::vector<uint8_t>(io.request(), io.request() + io.requestLength());
}

}  // namespace

TEST(CFileIO, RequestFramesOfTheExamples)
{
    CComm port;
    CFileIO io(port);
    io.BuildRequest(0x00);
    EXPECT_EQ(Request(io), (std::vector<uint8_t>{0x16, 0x00, 0x00, 0x00, 0x03, 0x19}));
    io.BuildRequest(0x11);
    EXPECT_EQ(Request(io), (std::vector<uint8_t>{0x16, 0x11, 0x00, 0x00, 0x03, 0x2A}));
    const uint8_t rate[4] = {0x00, 0xC2, 0x01, 0x00};
    io.BuildRequest(0x13, rate, 4);
    EXPECT_EQ(Request(io), (std::vector<uint8_t>{0x16, 0x13, 0x04, 0x00, 0x00, 0xC2, 0x01, 0x00, 0x03, 0xF3}));
    EXPECT_EQ(io.Exchange(), XFER_ERR_WRITE);  // no port
}

TEST(CFileIO, AcceptedReplyAndNotification)
{
    Link link([](const std::vector<uint8_t>&) { return std::vector<uint8_t>{0x16, 0x06, 0x00, 0x00, 0x03, 0x1F}; });
    talvix::NotifyQueue queue;
    std::vector<std::pair<uint32_t, int32_t>> seen;
    link.io.SetNotifyWindow({[&](uint32_t w, int32_t l) { seen.emplace_back(w, l); }, queue.Executor()});
    link.io.BuildRequest(0x00);
    EXPECT_EQ(link.io.Exchange(), XFER_OK);
    EXPECT_EQ(link.io.lastSendTick(), 0u);
    EXPECT_TRUE(link.io.ExchangeRetry(3));
    EXPECT_EQ(link.io.reply()[1], 0x06);
    EXPECT_EQ(link.io.reply()[6], 0xFF);  // the buffer beyond the frame was cleared to 0xFF
    EXPECT_TRUE(seen.empty());
    queue.RunPending();
    EXPECT_EQ(seen, (std::vector<std::pair<uint32_t, int32_t>>{{0, 0}, {0, 0}}));
}

TEST(CFileIO, RefusalsAreRetriedOrFinal)
{
    struct Case {
        std::vector<uint8_t> reply;
        size_t attempts;
    } cases[] = {
        {{0x16, 0x15, 0x01, 0x00, 0x01, 0x03, 0x30}, 3},
        {{0x16, 0x15, 0x01, 0x00, 0x00, 0x03, 0x2F}, 3},
        {{0x16, 0x15, 0x01, 0x00, 0x05, 0x03, 0x34}, 1},
        {{0x16, 0x15, 0x01, 0x00, 0x02, 0x03, 0x31}, 1},
    };
    for (const Case& c : cases) {
        Link link([&](const std::vector<uint8_t>&) { return c.reply; });
        link.io.BuildRequest(0x11);
        EXPECT_FALSE(link.io.ExchangeRetry(3));
        EXPECT_EQ(link.io.lastResult(), XFER_OK);
        EXPECT_EQ(link.device.Requests().size(), c.attempts) << int(c.reply[4]);
    }
}

TEST(CFileIO, BadChecksumFailsAndHoldsTheNextRequestBackTwoSeconds)
{
    int n = 0;
    Link link([&](const std::vector<uint8_t>&) {
        return ++n == 1 ? std::vector<uint8_t>{0x16, 0x06, 0x00, 0x00, 0x03, 0x20}
                        : std::vector<uint8_t>{0x16, 0x06, 0x00, 0x00, 0x03, 0x1F};
    });
    link.io.BuildRequest(0x00);
    EXPECT_EQ(link.io.Exchange(), XFER_ERR_FRAME);
    const uint32_t failedSend = link.io.lastSendTick();
    ASSERT_NE(failedSend, 0u);
    link.io.BuildRequest(0x00);
    EXPECT_GE(platform::TicksSince(failedSend), CFileIO::kRecoveryMs);
    EXPECT_EQ(link.io.Exchange(), XFER_OK);
}

TEST(CFileIO, BadHeaderAndShortBody)
{
    {
        Link link([](const std::vector<uint8_t>&) { return std::vector<uint8_t>{0x17, 0x06, 0x00, 0x00, 0x03, 0x20}; });
        link.io.BuildRequest(0x00);
        EXPECT_EQ(link.io.Exchange(), XFER_ERR_HEADER);
    }
    {
        // L = 10, only 8 payload bytes: ten empty polls, then result 7.
        Link link([](const std::vector<uint8_t>&) {
            return std::vector<uint8_t>{0x16, 0x06, 0x0A, 0x00, 1, 2, 3, 4, 5, 6, 7, 8};
        });
        link.io.BuildRequest(0x00);
        const uint32_t start = platform::GetTickCount();
        EXPECT_EQ(link.io.Exchange(), XFER_ERR_FRAME);
        EXPECT_GE(platform::TicksSince(start), 290u);
        EXPECT_EQ(link.io.replyBytes(), 12u);
    }
}

TEST(CFileIO, SilenceGivesUpAfterAboutSixSeconds)
{
    Link link([](const std::vector<uint8_t>&) { return std::vector<uint8_t>{}; });
    link.io.BuildRequest(0x11);
    const uint32_t start = platform::GetTickCount();
    EXPECT_FALSE(link.io.ExchangeRetry(3));
    const uint32_t took = platform::TicksSince(start);
    EXPECT_EQ(link.io.lastResult(), XFER_ERR_NOREPLY);
    EXPECT_EQ(link.device.Requests().size(), 3u);
    EXPECT_GE(took, 5900u);
    EXPECT_LT(took, 8000u);
}

TEST(CFileIO, RepliesOfAnyLengthStayInsideTheBuffers)
{
    std::vector<uint8_t> big(65535);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<uint8_t>(i);
    auto longer = Frame(0x06, {1, 2, 3});
    longer.insert(longer.end(), {9, 9, 9, 9});
    auto announcedHuge = std::vector<uint8_t>{0x16, 0x06, 0xFF, 0xFF, 1, 2, 3};
    struct Case {
        const char* what;
        std::vector<uint8_t> reply;
        int result;
    } cases[] = {
        {"full 65535-byte payload", Frame(0x06, big), XFER_OK},
        {"longer than announced", longer, XFER_ERR_FRAME},
        {"65535 announced, 3 sent", announcedHuge, XFER_ERR_FRAME},
        {"garbage", std::vector<uint8_t>(5000, 0x16), XFER_ERR_FRAME},
    };
    for (const Case& c : cases) {
        Link link([&](const std::vector<uint8_t>&) { return c.reply; });
        link.io.BuildRequest(0x3F);
        EXPECT_EQ(link.io.Exchange(), c.result) << c.what;
        EXPECT_LE(link.io.replyBytes(), CFileIO::kBufferSize) << c.what;
    }
}

TEST(CFileIO, VanishedLineGivesResultCodes)
{
    Link link([](const std::vector<uint8_t>&) { return std::vector<uint8_t>{}; });
    link.device.Hangup();
    usleep(100000);
    link.io.BuildRequest(0x11);
    const uint32_t start = platform::GetTickCount();
    const int result = link.io.Exchange();
    EXPECT_NE(result, XFER_OK);
    EXPECT_LT(platform::TicksSince(start), 2500u);
}
