#include "SelkSimProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace selksim {

namespace {

std::string Field(const std::string& line, const std::string& key)
{
    const std::string tag = "\"" + key + "\":";
    const size_t at = line.find(tag);
    if (at == std::string::npos)
        return {};
    size_t pos = at + tag.size();
    if (pos < line.size() && line[pos] == '"') {
        std::string out;
        for (++pos; pos < line.size() && line[pos] != '"'; ++pos) {
            if (line[pos] == '\\' && pos + 1 < line.size())
                ++pos;
            out += line[pos];
        }
        return out;
    }
    const size_t end = line.find_first_of(",}", pos);
    return line.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
}

}  // namespace

SelkSimProcess::SelkSimProcess(std::vector<std::string> args, bool pacing) : args_(std::move(args)), pacing_(pacing)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/selksim-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data()))
        dir_ = buf.data();
    link_ = dir_ + "/ttySELK";
    log_ = dir_ + "/frames.jsonl";
}

SelkSimProcess::~SelkSimProcess()
{
    Stop();
    if (!dir_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
}

bool SelkSimProcess::Start()
{
    if (dir_.empty()) {
        startError_ = "no temporary folder";
        return false;
    }
    std::vector<std::string> argv = {SELKSIM_PROGRAM, "--link", link_, "--log", log_};
    if (!pacing_)
        argv.push_back("--no-pacing");
    argv.insert(argv.end(), args_.begin(), args_.end());
    std::vector<char*> cargv;
    for (auto& a : argv)
        cargv.push_back(a.data());
    cargv.push_back(nullptr);

    int out[2];
    if (pipe(out) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, out[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, SELKSIM_PROGRAM, &actions, nullptr, cargv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        startError_ = std::string("cannot start selksim: ") + std::strerror(rc);
        return false;
    }
    pid_ = pid;
    // Wait for its "READY" line (or its error text and exit).
    std::string text;
    for (int waited = 0; waited < 10000 && text.find('\n') == std::string::npos;) {
        pollfd p{out[0], POLLIN, 0};
        const int n = poll(&p, 1, 100);
        waited += 100;
        if (n > 0) {
            char chunk[256];
            const ssize_t got = read(out[0], chunk, sizeof chunk);
            if (got <= 0)
                break;
            text.append(chunk, static_cast<size_t>(got));
        }
    }
    close(out[0]);
    if (text.rfind("READY", 0) != 0) {
        startError_ = text.empty() ? "selksim did not come up" : text;
        Kill();
        return false;
    }
    return true;
}

void SelkSimProcess::Stop()
{
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    int status = 0;
    // Give it a few seconds to end on its own, then make sure.
    for (int i = 0; i < 300; ++i) {
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        usleep(10000);
    }
    Kill();
}

void SelkSimProcess::Kill()
{
    if (pid_ <= 0)
        return;
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

bool SelkSimProcess::Exited()
{
    if (pid_ <= 0)
        return true;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return true;
    }
    return false;
}

std::vector<SimLogEntry> SelkSimProcess::ReadLog() const
{
    std::vector<SimLogEntry> entries;
    std::ifstream in(log_);
    std::string line;
    while (std::getline(in, line)) {
        SimLogEntry e;
        e.t = std::atoll(Field(line, "t").c_str());
        e.dir = Field(line, "dir");
        e.mode = Field(line, "mode");
        e.hex = Field(line, "hex");
        e.event = Field(line, "event");
        const std::string id = Field(line, "id");
        e.id = id.empty() ? -1 : std::atoi(id.c_str());
        entries.push_back(std::move(e));
    }
    return entries;
}

std::vector<std::string> SelkSimProcess::Frames(const std::string& dir, const std::string& mode) const
{
    std::vector<std::string> frames;
    for (const SimLogEntry& e : ReadLog())
        if (e.dir == dir && (mode.empty() || e.mode == mode))
            frames.push_back(e.hex);
    return frames;
}

void SelkSimProcess::ClearLog() const
{
    std::ofstream(log_, std::ios::trunc);
}

}  // namespace selksim
