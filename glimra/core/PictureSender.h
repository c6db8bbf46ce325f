#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace glimra {

// Sends picture files to a device, by the "Port Class" setting: class 1 is
// the serial cable, on which each file is written into the root folder of
// the memory card of the current device (of the device registry) under its
// transfer name, through the card's file-transfer commands; every other
// class is infrared, for which this system has no link, and answers 5.
// Result codes: 0 finished, 1 failure, 2 memory error, 3 stopped, 4 nothing
// to report, 5 not supported.
class PictureSender {
public:
    // Uses the registry file at `registryPath` for the port and current
    // device; empty means the default store.
    explicit PictureSender(std::string registryPath = {});

    int Send(int32_t portClass, const std::vector<std::string>& files, const std::vector<std::string>& names);

    // The cable transfer ("Port Class" 1).
    int SendByCable(const std::vector<std::string>& files, const std::vector<std::string>& names);

private:
    std::string registryPath_;
};

}  // namespace glimra
