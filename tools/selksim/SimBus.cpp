#include "SimBus.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <unistd.h>

#include "FrameLog.h"
#include "PtyLine.h"
#include "SimCard.h"
#include "SimDevice.h"

namespace selksim {

namespace {

long long NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A frame that stops arriving for this long is thrown away.
constexpr int kSelkPartialMs = 50;
constexpr int kTransferPartialMs = 500;
constexpr int kProtoSelk = 1;
constexpr int kProtoTransfer = 2;

}  // namespace

SimBus::SimBus(const Options& options, PtyLine& line, FrameLog& log) : options_(options), line_(line), log_(log) {}

SimBus::~SimBus() = default;

bool SimBus::Init(std::string& error)
{
    for (const DeviceSetup& setup : options_.devices) {
        auto device = std::make_unique<SimDevice>(setup, log_);
        if (!setup.cardFolder.empty()) {
            auto card = std::make_unique<SimCard>(setup, log_);
            if (!card->Load(error))
                return false;
            device->SetCard(std::move(card));
        }
        devices_.push_back(std::move(device));
    }
    for (const FaultSetup& f : options_.faults)
        rules_.push_back({f, 0});
    return true;
}

int SimBus::LineRate() const
{
    return transfer_ ? transferRate_ : 9600;
}

bool SimBus::Sleep(int ms)
{
    const long long end = NowMs() + ms;
    for (;;) {
        if (*stop_)
            return false;
        const long long left = end - NowMs();
        if (left <= 0)
            return true;
        pollfd p{wakeFd_, POLLIN, 0};
        poll(&p, 1, static_cast<int>(left));
    }
}

int SimBus::Run(const volatile sig_atomic_t& stop, int wakeFd)
{
    stop_ = &stop;
    wakeFd_ = wakeFd;
    log_.Event("ready");
    while (!*stop_ && !closed_) {
        pollfd fds[2] = {{line_.masterFd(), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        int timeout = -1;
        if (!input_.empty()) {
            const int limit = transfer_ ? kTransferPartialMs : kSelkPartialMs;
            timeout = static_cast<int>(std::max<long long>(0, inputSinceMs_ + limit - NowMs()));
        }
        const int n = poll(fds, 2, timeout);
        if (n < 0 && errno != EINTR)
            break;
        if (n > 0 && (fds[0].revents & POLLIN))
            TakeInput();
        if (!input_.empty()) {
            if (transfer_)
                ProcessTransfer();
            else
                ProcessSelk();
        }
        if (!input_.empty()) {
            const int limit = transfer_ ? kTransferPartialMs : kSelkPartialMs;
            if (NowMs() - inputSinceMs_ >= limit)
                Discard(input_.size(), "partial frame timed out");
        }
    }
    log_.Event(closed_ ? "line closed" : "stopped");
    return 0;
}

void SimBus::TakeInput()
{
    uint8_t buffer[4096];
    for (;;) {
        const ssize_t n = ::read(line_.masterFd(), buffer, sizeof buffer);
        if (n <= 0)
            break;
        if (options_.rateCheck) {
            const int pc = line_.PcRate();
            if (pc != 0 && pc != LineRate()) {
                // Different speeds on the two ends: the device hears noise.
                log_.Frame("pc", "noise", buffer, static_cast<size_t>(n));
                log_.Event("rate mismatch: pc " + std::to_string(pc) + ", device " + std::to_string(LineRate()));
                continue;
            }
        }
        if (input_.empty())
            inputSinceMs_ = NowMs();
        input_.insert(input_.end(), buffer, buffer + n);
    }
}

void SimBus::Discard(size_t count, const char* why)
{
    count = std::min(count, input_.size());
    if (count == 0)
        return;
    log_.Frame("pc", "garbage", input_.data(), count);
    log_.Event(why);
    input_.erase(input_.begin(), input_.begin() + static_cast<long>(count));
    inputSinceMs_ = NowMs();
}

void SimBus::WaitArrival(size_t frameBytes)
{
    // The frame could not have arrived faster than the line carries it.
    if (!options_.pacing)
        return;
    const long long due = inputSinceMs_ + static_cast<long long>(frameBytes) * 11 * 1000 / LineRate();
    const long long left = due - NowMs();
    if (left > 0)
        Sleep(static_cast<int>(left));
}

void SimBus::ProcessSelk()
{
    while (!input_.empty() && !transfer_ && !closed_ && !*stop_) {
        // A frame starts with FF FF; skip anything else (a lone FF at the
        // end may still be the start of one).
        size_t start = 0;
        while (start < input_.size() &&
               !(input_[start] == 0xFF && (start + 1 == input_.size() || input_[start + 1] == 0xFF)))
            ++start;
        if (start > 0) {
            Discard(start, "bytes outside a frame");
            continue;
        }
        if (input_.size() < 11)
            return;
        uint8_t frame[11];
        std::memcpy(frame, input_.data(), 11);
        if (frame[10] != SimDevice::Checksum(frame)) {
            Discard(1, "bad checksum");
            continue;
        }
        WaitArrival(11);
        input_.erase(input_.begin(), input_.begin() + 11);
        inputSinceMs_ = NowMs();
        log_.Frame("pc", "selk", frame, 11);
        HandleSelk(frame);
    }
}

void SimBus::HandleSelk(const uint8_t* frame)
{
    const int id = frame[2];
    if (id == 0)
        return;
    if (id >= 100) {
        for (auto& d : devices_)
            d->HandleBroadcast(frame);
        return;
    }
    for (auto& d : devices_) {
        if (d->id() != id)
            continue;
        uint8_t reply[11];
        bool enter = false;
        d->HandleCommand(frame, reply, enter);
        SendReply(std::vector<uint8_t>(reply, reply + 11), kProtoSelk, id, frame[3] << 8 | frame[4]);
        if (enter) {
            transfer_ = d.get();
            transferRate_ = 9600;
            log_.Event("file-transfer mode", d->id());
        }
        return;
    }
}

void SimBus::ProcessTransfer()
{
    while (!input_.empty() && transfer_ && !closed_ && !*stop_) {
        if (input_[0] != 0x16) {
            size_t skip = 1;
            while (skip < input_.size() && input_[skip] != 0x16)
                ++skip;
            Discard(skip, "bytes outside a frame");
            continue;
        }
        if (input_.size() < 4)
            return;
        const size_t length = input_[2] | static_cast<size_t>(input_[3]) << 8;
        if (input_.size() < length + 6)
            return;
        unsigned sum = 0;
        for (size_t i = 0; i < length + 5; ++i)
            sum += input_[i];
        if (input_[length + 4] != 0x03 || static_cast<uint8_t>(sum) != input_[length + 5]) {
            Discard(1, "bad frame");
            continue;
        }
        std::vector<uint8_t> frame(input_.begin(), input_.begin() + static_cast<long>(length + 6));
        WaitArrival(frame.size());
        input_.erase(input_.begin(), input_.begin() + static_cast<long>(length + 6));
        inputSinceMs_ = NowMs();
        log_.Frame("pc", "xfer", frame.data(), frame.size());
        HandleTransfer(frame[1], frame.data() + 4, length);
    }
}

static std::vector<uint8_t> TransferFrame(uint8_t code, const std::vector<uint8_t>& payload)
{
    std::vector<uint8_t> f;
    f.reserve(payload.size() + 6);
    f.push_back(0x16);
    f.push_back(code);
    f.push_back(static_cast<uint8_t>(payload.size()));
    f.push_back(static_cast<uint8_t>(payload.size() >> 8));
    f.insert(f.end(), payload.begin(), payload.end());
    f.push_back(0x03);
    unsigned sum = 0;
    for (uint8_t b : f)
        sum += b;
    f.push_back(static_cast<uint8_t>(sum));
    return f;
}

void SimBus::HandleTransfer(uint8_t command, const uint8_t* payload, size_t length)
{
    uint8_t code = kXferAccepted;
    std::vector<uint8_t> reply;
    bool leave = false;
    int newRate = 0;
    if (command == 0x00) {
        // NOP
    } else if (command == 0x13) {  // SET RATE
        const uint32_t rate = length >= 4 ? static_cast<uint32_t>(payload[0] | payload[1] << 8 | payload[2] << 16 |
                                                                 static_cast<uint32_t>(payload[3]) << 24)
                                          : 0;
        if (rate == 9600 || rate == 19200 || rate == 38400 || rate == 57600 || rate == 115200)
            newRate = static_cast<int>(rate);
        else {
            code = kXferRefused;
            reply = {5};
        }
    } else if (command == 0x1B) {  // END
        leave = true;
    } else {
        transfer_->card()->Handle(command, payload, length, code, reply);
    }
    if (reply.size() > 65535)
        reply.resize(65535);
    SendReply(TransferFrame(code, reply), kProtoTransfer, transfer_->id(), command);
    if (newRate) {
        transferRate_ = newRate;
        log_.Event("rate " + std::to_string(newRate), transfer_->id());
    }
    if (leave && transfer_) {
        transfer_->LeaveTransfer();
        log_.Event("SELK mode", transfer_->id());
        transfer_ = nullptr;
        transferRate_ = 9600;
    }
}

SimBus::Verdict SimBus::Judge(int proto, int id, int command)
{
    Verdict v;
    for (Rule& r : rules_) {
        const FaultSetup& f = r.setup;
        if ((f.proto && f.proto != proto) || (f.id >= 0 && f.id != id) || (f.command >= 0 && f.command != command))
            continue;
        ++r.matched;
        if (r.matched < f.nth || (f.count > 0 && r.matched >= f.nth + f.count))
            continue;
        switch (f.kind) {
        case FaultKind::BadChecksum: v.badSum = true; break;
        case FaultKind::BadHeader: v.badHeader = true; break;
        case FaultKind::Cut: v.cut = f.arg; break;
        case FaultKind::Drop: v.drop = true; break;
        case FaultKind::Delay: v.delayMs += f.arg; break;
        case FaultKind::Refuse: v.refuse = f.arg; break;
        case FaultKind::Close: v.close = true; break;
        case FaultKind::Long: v.extra = f.arg; break;
        }
    }
    return v;
}

void SimBus::SendReply(std::vector<uint8_t> bytes, int proto, int id, int command)
{
    const Verdict v = Judge(proto, id, command);
    if (v.close) {
        log_.Event("fault: closing the line", id);
        line_.Close();
        closed_ = true;
        return;
    }
    if (v.drop) {
        log_.Event("fault: reply dropped", id);
        return;
    }
    if (v.refuse >= 0 && proto == kProtoTransfer)
        bytes = TransferFrame(kXferRefused, {static_cast<uint8_t>(v.refuse)});
    if (v.badSum && !bytes.empty())
        bytes.back() = proto == kProtoSelk ? static_cast<uint8_t>((bytes.back() + 1) & 0x7F)
                                           : static_cast<uint8_t>(bytes.back() + 1);
    if (v.badHeader && !bytes.empty())
        bytes[0] = proto == kProtoSelk ? 0xFD : 0x17;
    if (v.cut >= 0 && static_cast<size_t>(v.cut) < bytes.size())
        bytes.resize(static_cast<size_t>(v.cut));
    for (int i = 0; i < v.extra; ++i)
        bytes.push_back(static_cast<uint8_t>(0x55 + i));
    if (v.delayMs > 0 && !Sleep(v.delayMs))
        return;
    log_.Frame("dev", proto == kProtoSelk ? "selk" : "xfer", bytes.data(), bytes.size());
    if (!bytes.empty() && !line_.Send(bytes.data(), bytes.size(), LineRate(), options_.pacing)) {
        log_.Event("line gone");
        closed_ = true;
    }
}

}  // namespace selksim
