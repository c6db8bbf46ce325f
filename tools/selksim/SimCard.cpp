#include "SimCard.h"

#include <filesystem>

#include "FrameLog.h"

namespace selksim {

struct SimCard::Impl {
    DeviceSpec spec;
    FrameLog& log;
};

SimCard::SimCard(const DeviceSpec& spec, FrameLog& log) : impl_(new Impl{spec, log}) {}

SimCard::~SimCard()
{
    delete impl_;
}

bool SimCard::Load(std::string& error)
{
    std::error_code ec;
    if (!std::filesystem::is_directory(impl_->spec.cardFolder, ec)) {
        error = "card folder missing: " + impl_->spec.cardFolder;
        return false;
    }
    return true;
}

void SimCard::Handle(uint8_t command, const uint8_t*, size_t, uint8_t& replyCode, std::vector<uint8_t>& reply)
{
    if (command == 0x11) {
        replyCode = kXferAccepted;
        reply.assign(impl_->spec.status, impl_->spec.status + 4);
        return;
    }
    replyCode = kXferRefused;
    reply = {5};
}

}  // namespace selksim
