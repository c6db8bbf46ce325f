#pragma once
// A card session against selksim: the emulator plays device 1 with a card
// backed by a scratch folder; the session talks to it over the pty.
#include "TestSupport.h"
#include "talvix/cardops/CardSession.h"
#include "talvix/cardops/CardViewSink.h"
#include "talvix/filexfer/DeviceSelection.h"
#include "talvix/filexfer/FileOpe.h"
#include "talvix/serial/CSelkIO.h"
#include "tools/selksim/testing/SelkSimProcess.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace cardtest {

class OneDevice : public talvix::DeviceSelection {
public:
    int CurrentDeviceID() const override { return 1; }
    int DeviceCount() const override { return 1; }
    int TransferRate() const override { return 115200; }
};

// Records what the threads ask of the tree and the list.
class RecordingView : public talvix::CardViewSink {
public:
    std::vector<std::string> added;          // paths of folder records given nodes
    std::vector<void*> removedItems, removedNodes;
    int nextNode = 0;
    int nodes[300] = {};
    talvix::TreeNode AddFolderNode(talvix::CardFolder&, talvix::CardFolder& record) override
    {
        added.push_back(record.path);
        return &nodes[nextNode++ % 300];
    }
    void RemoveListItem(talvix::ListItem item) override { removedItems.push_back(item); }
    void RemoveTreeNode(talvix::TreeNode node) override { removedNodes.push_back(node); }
};

class SimCardTest : public ::testing::Test {
protected:
    // Starts the emulator with device options added to "id=1,card=<folder>"
    // and any further emulator arguments.
    void StartSim(const std::string& deviceOptions = "", std::vector<std::string> more = {})
    {
        std::vector<std::string> args = {"--device", "id=1,card=" + card.path() + deviceOptions};
        args.insert(args.end(), more.begin(), more.end());
        sim = std::make_unique<selksim::SelkSimProcess>(args);
        ASSERT_TRUE(sim->Start()) << sim->startError();
        ASSERT_TRUE(selk.OpenPath(sim->linkPath()));
        ASSERT_TRUE(selk.Setup());
        ope = std::make_unique<talvix::FileOpe>(selk, devices);
        session.ope = ope.get();
        session.viewSink = &view;
    }

    // Command codes of the file-transfer requests sent so far.
    std::vector<int> Commands() const
    {
        std::vector<int> out;
        for (const std::string& hex : sim->Frames("pc", "xfer"))
            if (hex.size() >= 5)
                out.push_back(std::stoi(hex.substr(3, 2), nullptr, 16));
        return out;
    }

    // The request frames (as byte vectors) with one command code.
    std::vector<std::vector<uint8_t>> Requests(int command) const
    {
        std::vector<std::vector<uint8_t>> out;
        for (const std::string& hex : sim->Frames("pc", "xfer")) {
            std::vector<uint8_t> bytes;
            for (size_t i = 0; i + 1 < hex.size(); i += 3)
                bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
            if (bytes.size() >= 2 && bytes[1] == command)
                out.push_back(bytes);
        }
        return out;
    }

    static uint32_t U32(const std::vector<uint8_t>& frame, size_t payloadOffset)
    {
        const size_t i = 4 + payloadOffset;
        return frame[i] | frame[i + 1] << 8 | frame[i + 2] << 16 | uint32_t(frame[i + 3]) << 24;
    }

    static int Count(const std::vector<int>& commands, int command)
    {
        return static_cast<int>(std::count(commands.begin(), commands.end(), command));
    }

    TempDir card;
    std::unique_ptr<selksim::SelkSimProcess> sim;
    talvix::CSelkIO selk;
    OneDevice devices;
    std::unique_ptr<talvix::FileOpe> ope;
    RecordingView view;
    talvix::CardSession session;
};

}  // namespace cardtest
