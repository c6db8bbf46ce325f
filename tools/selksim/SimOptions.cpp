#include "SimOptions.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace selksim {

namespace {

std::vector<std::string> Split(const std::string& text, char sep)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t pos = text.find(sep, start);
        parts.push_back(text.substr(start, pos == std::string::npos ? std::string::npos : pos - start));
        if (pos == std::string::npos)
            break;
        start = pos + 1;
    }
    return parts;
}

bool ToInt(const std::string& text, long long& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), &end, 0);
    if (errno != 0 || end == nullptr || *end != '\0')
        return false;
    out = v;
    return true;
}

bool ToBytes(const std::string& text, uint8_t* out, size_t size)
{
    // "01:02:03" or "010203"
    std::string hex;
    for (char c : text)
        if (c != ':' && c != ' ')
            hex += c;
    if (hex.size() > size * 2 || hex.size() % 2 != 0)
        return false;
    std::memset(out, 0, size);
    for (size_t i = 0; i < hex.size() / 2; ++i) {
        long long v;
        if (!ToInt("0x" + hex.substr(i * 2, 2), v))
            return false;
        out[i] = static_cast<uint8_t>(v);
    }
    return true;
}

}  // namespace

bool ParseDevice(const std::string& text, DeviceSetup& d, std::string& error)
{
    for (const std::string& item : Split(text, ',')) {
        const size_t eq = item.find('=');
        if (eq == std::string::npos) {
            error = "device option without '=': " + item;
            return false;
        }
        const std::string key = item.substr(0, eq), value = item.substr(eq + 1);
        long long n = 0;
        const bool isNum = ToInt(value, n);
        if (key == "id" && isNum && n >= 1 && n <= 127)
            d.id = static_cast<int>(n);
        else if (key == "cat" && isNum && n >= 0 && n <= 255)
            d.identity1[0] = static_cast<uint8_t>(n);
        else if (key == "name" && value.size() <= 12)
            d.name = value;
        else if (key == "ident" && ToBytes(value, d.identity1, 6))
            ;
        else if (key == "ident2" && ToBytes(value, d.identity2, 6))
            ;
        else if (key == "power" && (value == "on" || value == "off"))
            d.poweredOn = value == "on";
        else if (key == "delay" && (value == "never" || (isNum && n >= 0 && n < 1000000)))
            d.switchOnDelay = value == "never" ? -1 : static_cast<int>(n);
        else if (key == "notyet" && isNum && n >= 0 && n < 1000000)
            d.notYetPolls = static_cast<int>(n);
        else if (key == "card")
            d.cardFolder = value;
        else if (key == "raw" && !value.empty())
            d.rawFile = value;
        else if (key == "status" && ToBytes(value, d.status, 4))
            ;
        else if (key == "label" && value.size() <= 11)
            d.label = value;
        else if (key == "free") {
            // clusters:sectorsPerCluster:bytesPerSector
            const auto parts = Split(value, ':');
            long long a, b, c;
            if (parts.size() != 3 || !ToInt(parts[0], a) || !ToInt(parts[1], b) || !ToInt(parts[2], c)) {
                error = "free= wants clusters:sectors:bytes";
                return false;
            }
            d.freeClusters = static_cast<uint32_t>(a);
            d.sectorsPerCluster = static_cast<uint32_t>(b);
            d.bytesPerSector = static_cast<uint32_t>(c);
            d.freeSpaceGiven = true;
        } else {
            error = "bad device option: " + item;
            return false;
        }
    }
    return true;
}

bool ParseFault(const std::string& text, FaultSetup& f, std::string& error)
{
    const auto items = Split(text, ',');
    const std::string& kind = items[0];
    if (kind == "badsum" || kind == "corrupt")
        f.kind = FaultKind::BadChecksum;
    else if (kind == "badheader")
        f.kind = FaultKind::BadHeader;
    else if (kind == "short" || kind == "cut")
        f.kind = FaultKind::Cut;
    else if (kind == "drop" || kind == "silent")
        f.kind = FaultKind::Drop;
    else if (kind == "delay")
        f.kind = FaultKind::Delay;
    else if (kind == "refuse")
        f.kind = FaultKind::Refuse;
    else if (kind == "close")
        f.kind = FaultKind::Close;
    else if (kind == "long")
        f.kind = FaultKind::Long;
    else {
        error = "unknown fault: " + kind;
        return false;
    }
    if (f.kind == FaultKind::Refuse)
        f.proto = 2;
    bool countGiven = false, nthGiven = false;
    for (size_t i = 1; i < items.size(); ++i) {
        const std::string& item = items[i];
        const size_t eq = item.find('=');
        long long n = 0;
        if (eq == std::string::npos) {
            error = "fault option without '=': " + item;
            return false;
        }
        const std::string key = item.substr(0, eq), value = item.substr(eq + 1);
        if (key == "proto" && (value == "selk" || value == "xfer"))
            f.proto = value == "selk" ? 1 : 2;
        else if (!ToInt(value, n) || n < 0 || n > 0x7FFFFFFF) {
            error = "bad fault option: " + item;
            return false;
        } else if (key == "id")
            f.id = static_cast<int>(n);
        else if (key == "cmd")
            f.command = static_cast<int>(n);
        else if (key == "nth" && n >= 1) {
            f.nth = static_cast<int>(n);
            nthGiven = true;
        } else if (key == "count") {
            f.count = static_cast<int>(n);
            countGiven = true;
        } else if (key == "arg")
            f.arg = static_cast<int>(n);
        else {
            error = "bad fault option: " + item;
            return false;
        }
    }
    // "nth=K" alone means that one reply; no nth means every matching reply.
    if (nthGiven && !countGiven)
        f.count = 1;
    return true;
}

bool ParseOptions(int argc, char** argv, Options& o, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto next = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string value;
        if (arg == "--link") {
            if (!next(o.linkPath))
                return false;
        } else if (arg == "--log") {
            if (!next(o.logPath))
                return false;
        } else if (arg == "--no-pacing") {
            o.pacing = false;
        } else if (arg == "--no-rate-check") {
            o.rateCheck = false;
        } else if (arg == "--device") {
            DeviceSetup d;
            if (!next(value) || !ParseDevice(value, d, error))
                return false;
            o.devices.push_back(d);
        } else if (arg == "--fault") {
            FaultSetup f;
            if (!next(value) || !ParseFault(value, f, error))
                return false;
            o.faults.push_back(f);
        } else {
            error = "unknown argument: " + arg;
            return false;
        }
    }
    if (o.linkPath.empty()) {
        error = "--link PATH is required";
        return false;
    }
    return true;
}

const char* UsageText()
{
    return "usage: selksim --link PATH [--log FILE] [--no-pacing] [--no-rate-check]\n"
           "       selksim --help\n"
           "               [--device OPTS]... [--fault OPTS]...\n"
           "device OPTS: id=N,cat=N,name=TEXT,ident=HEX6,ident2=HEX6,power=on|off,\n"
           "             delay=N|never,notyet=N,card=DIR,status=HEX4,label=TEXT,\n"
           "             free=CLUSTERS:SECTORS:BYTES,raw=FILE\n"
           "fault OPTS:  KIND[,proto=selk|xfer][,id=N][,cmd=N][,nth=K][,count=C][,arg=N]\n"
           "             KIND: badsum badheader short drop silent delay refuse close long\n"
           "             (cmd: SELK command bytes 3..4 such as 0x7C4E, or a card command code;\n"
           "             nth alone means that one reply, no nth means every matching reply)\n"
           "card:        host names are shown as CP932 8.3 names; names starting with '.'\n"
           "             are hidden, names ending in .SYS are system entries; status byte 1\n"
           "             bit 0-1 clear = no card, bit 2 = locked; byte 2 non-zero = unformatted\n"
           "raw=FILE:    card entries given byte for byte besides the host ones, one a line:\n"
           "             FOLDER<TAB>HEXNAME<TAB>ATTR<TAB>SIZE[<TAB>POS]\n"
           "             FOLDER a relative card path (\\ for the root), HEXNAME the name's\n"
           "             CP932 bytes in hex (2E2E = \"..\", 412F42 = \"A/B\", 00 allowed),\n"
           "             ATTR the attribute byte, SIZE the file size, POS the index in the\n"
           "             folder's FIND replies (default: after the host entries); lines\n"
           "             starting with # are ignored. OPEN for reading on M:FOLDER\\NAME\n"
           "             reads SIZE bytes of the pattern ABC..Z repeated; FIND FIRST on\n"
           "             M:FOLDER\\NAME\\*.* lists the raw entries whose FOLDER is that path;\n"
           "             DELETE, RENAME and the other changing commands on a path that is,\n"
           "             lies below or holds a raw entry are refused and logged as events\n"
           "             \"raw entry met: COMMAND HEX-PATH\"\n";
}

}  // namespace selksim
