#pragma once
#include <cstdint>
#include <string>

namespace glimra {

// The picture organiser's settings the viewer reads (never writes), under
// HKEY_LOCAL_MACHINE\SOFTWARE\Vendra\Pictaro in the machine registry. The
// key is read afresh on every call; a missing key or value leaves the
// caller's value as it was.
class ViewerSettings {
public:
    static constexpr const char* kKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendra\\Pictaro";
    static constexpr size_t kMaxEditToolName = 2047;

    // Uses the registry file at `registryPath`; empty means the default store.
    explicit ViewerSettings(std::string registryPath = {});

    // "Slide Show Mode", "Slide Show Time" (milliseconds) and "Port Class".
    void ReadViewerSettings(int32_t& mode, int32_t& time, int32_t& portClass) const;
    // "Edit Tool Name"; a value longer than kMaxEditToolName bytes leaves
    // `name` as it was, like a missing one.
    void ReadEditToolName(std::string& name) const;

private:
    std::string registryPath_;
};

}  // namespace glimra
