#pragma once
#include "talvix/cli/CliOptions.h"
#include "talvix/settings/MLang.h"

#include <cstdio>
#include <string>

namespace talvix {

class CSelkIO;
class CardSession;

// tvcard's commands on the card engine, the device registry and the port map.
// Run() returns the exit status: 0 success, 1 usage error, 2 no usable
// device, 3 a card operation failed.
class CardTool {
public:
    enum Exit { kOk = 0, kUsage = 1, kNoDevice = 2, kFailed = 3 };

    CardTool(const CliOptions& options, std::FILE* out, std::FILE* err);
    int Run();

    // "error 0xNNNN: " + the English text the main window shows for `status`.
    static std::string ErrorLine(uint32_t status, const MLang& texts);
    // The category text of a device record's category code.
    static std::string CategoryText(int code, const MLang& texts);

private:
    int Scan(CSelkIO& selk, int portNumber);
    int Devices(CSelkIO& selk);
    int CardCommand(CSelkIO& selk);
    int Status(CardSession& session);
    int List(CardSession& session);
    int Get(CardSession& session);
    int Put(CardSession& session);
    int Remove(CardSession& session);
    int MakeDir(CardSession& session);
    int Rename(CardSession& session);

    int Fail(uint32_t status);
    int Usage(const std::string& message);
    int NoDevice();
    // Opens the port from --port or the registry; false when none can be opened.
    bool OpenPort(CSelkIO& selk, int& portNumber);

    const CliOptions& o_;
    std::FILE* out_;
    std::FILE* err_;
    MLang texts_;
};

}  // namespace talvix
