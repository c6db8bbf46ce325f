#pragma once
// Runs the tvcard program with its own registry file and collects its output.
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace clitest {

struct ToolResult {
    int status = -1;
    std::string out;
    std::string err;
};

// With `interruptAfterMs` >= 0 the program gets a SIGINT that many ms after its start.
inline ToolResult RunTool(const std::string& registry, const std::vector<std::string>& args,
                          int interruptAfterMs = -1)
{
    ToolResult r;
    std::vector<std::string> argv = {std::string(SUITE_BIN_DIR) + "/tvcard"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargv;
    for (auto& a : argv)
        cargv.push_back(a.data());
    cargv.push_back(nullptr);

    std::vector<std::string> env = {"MARLO_REGISTRY=" + registry, "LANG=C.UTF-8", "TZ=" + std::string(getenv("TZ") ? getenv("TZ") : "")};
    for (char** e = environ; *e; ++e) {
        const std::string s = *e;
        if (s.rfind("MARLO_REGISTRY=", 0) != 0 && s.rfind("LANG=", 0) != 0 && s.rfind("LC_", 0) != 0 &&
            s.rfind("TZ=", 0) != 0)
            env.push_back(s);
    }
    if (!getenv("TZ"))
        env.erase(env.begin() + 2);
    std::vector<char*> cenv;
    for (auto& e : env)
        cenv.push_back(e.data());
    cenv.push_back(nullptr);

    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0)
        return r;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, cargv[0], &actions, nullptr, cargv.data(), cenv.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    if (rc != 0) {
        close(out[0]);
        close(err[0]);
        return r;
    }
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = 2;
    const auto start = std::chrono::steady_clock::now();
    while (open > 0) {
        int wait = 200000;
        if (interruptAfterMs >= 0) {
            const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now() - start)
                                     .count();
            if (elapsed >= interruptAfterMs) {
                kill(pid, SIGINT);
                interruptAfterMs = -1;
            } else {
                wait = static_cast<int>(interruptAfterMs - elapsed);
            }
        }
        const int ready = poll(fds, 2, wait);
        if (ready < 0)
            break;
        if (ready == 0)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP)))
                continue;
            char buf[4096];
            const ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            } else {
                (i == 0 ? r.out : r.err).append(buf, static_cast<size_t>(n));
            }
        }
    }
    for (auto& f : fds)
        if (f.fd >= 0)
            close(f.fd);
    int status = 0;
    waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

}  // namespace clitest
