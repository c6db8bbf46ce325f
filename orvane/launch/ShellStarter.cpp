#include "orvane/launch/ShellStarter.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

extern char** environ;

namespace orvane {

namespace {

bool IsRegularFile(const std::string& path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsDirectory(const std::string& path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsExecutable(const std::string& path)
{
    return IsRegularFile(path) && ::access(path.c_str(), X_OK) == 0;
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    if (folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

std::string AbsolutePath(const std::string& path)
{
    if (path.empty() || path.front() == '/')
        return path;
    char buf[4096];
    if (::getcwd(buf, sizeof buf) == nullptr)
        return path;
    return JoinPath(buf, path);
}

std::string SearchPath(const std::string& name)
{
    const char* env = std::getenv("PATH");
    std::string list = env != nullptr ? env : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(':', start);
        if (end == std::string::npos)
            end = list.size();
        const std::string dir = list.substr(start, end - start);
        const std::string candidate = JoinPath(dir.empty() ? "." : dir, name);
        if (IsExecutable(candidate))
            return AbsolutePath(candidate);
        start = end + 1;
    }
    return {};
}

template <typename T>
struct GObjectDeleter {
    void operator()(T* p) const
    {
        if (p != nullptr)
            g_object_unref(p);
    }
};
template <typename T>
using GPtr = std::unique_ptr<T, GObjectDeleter<T>>;

struct LaunchSetup {
    std::string workFolder;
    GPid pid = 0;
};

// Runs in the child between fork and exec: only async-signal-safe calls.
void ChildSetup(gpointer data)
{
    auto* setup = static_cast<LaunchSetup*>(data);
    if (!setup->workFolder.empty())
        (void)::chdir(setup->workFolder.c_str());
}

void PidCallback(GDesktopAppInfo*, GPid pid, gpointer data)
{
    static_cast<LaunchSetup*>(data)->pid = pid;
}

}  // namespace

std::string ShellStarter::Resolve(const std::string& file, const std::string& workFolder)
{
    if (file.empty())
        return {};
    if (file.front() == '/')
        return IsRegularFile(file) ? file : std::string();
    const std::string inFolder = AbsolutePath(JoinPath(workFolder, file));
    if (IsRegularFile(inFolder))
        return inFolder;
    if (file.find('/') == std::string::npos)
        return SearchPath(file);
    return {};
}

ShellStarter::Result ShellStarter::Start(const std::string& file, const std::string& workFolder) const
{
    const std::string path = Resolve(file, workFolder);
    if (path.empty()) {
        Result r;
        r.error = "not found: " + file;
        return r;
    }
    const std::string folder = IsDirectory(workFolder) ? workFolder : std::string();
    if (IsExecutable(path)) {
        int spawnError = 0;
        Result spawned = SpawnProgram(path, folder, spawnError);
        // The execute bit alone does not make a program (some file systems
        // give it to every file): what the system cannot run is opened as a
        // document.
        if (spawned.ok || spawnError != ENOEXEC)
            return spawned;
    }
    return OpenDocument(path, folder);
}

ShellStarter::Result ShellStarter::SpawnProgram(const std::string& path, const std::string& workFolder, int& error)
{
    Result r;
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    if (!workFolder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workFolder.c_str());
    // The child starts with no blocked signals and default handlers, whatever
    // the window toolkit did to ours.
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::string arg0 = path;
    char* argv[] = {arg0.data(), nullptr};
    pid_t pid = -1;
    const int err = ::posix_spawn(&pid, path.c_str(), &actions, &attr, argv, environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    error = err;
    if (err != 0) {
        r.error = std::string("spawn failed: ") + std::strerror(err);
        return r;
    }
    r.ok = true;
    r.process = ChildProcess(pid);
    return r;
}

ShellStarter::Result ShellStarter::OpenDocument(const std::string& path, const std::string& workFolder)
{
    Result r;
    GPtr<GFile> file(g_file_new_for_path(path.c_str()));
    GError* error = nullptr;
    GPtr<GAppInfo> app(g_file_query_default_handler(file.get(), nullptr, &error));
    if (!app) {
        r.error = error != nullptr ? error->message : "no application";
        g_clear_error(&error);
        return r;
    }
    char* uri = g_file_get_uri(file.get());
    GList uris = {uri, nullptr, nullptr};
    bool launched;
    LaunchSetup setup{workFolder, 0};
    if (G_IS_DESKTOP_APP_INFO(app.get())) {
        launched = g_desktop_app_info_launch_uris_as_manager(
                       G_DESKTOP_APP_INFO(app.get()), &uris, nullptr,
                       static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD),
                       ChildSetup, &setup, PidCallback, &setup, &error) != FALSE;
    } else {
        launched = g_app_info_launch_uris(app.get(), &uris, nullptr, &error) != FALSE;
    }
    g_free(uri);
    if (!launched) {
        r.error = error != nullptr ? error->message : "launch failed";
        g_clear_error(&error);
        return r;
    }
    r.ok = true;
    if (setup.pid > 0)
        r.process = ChildProcess(setup.pid);
    return r;
}

}  // namespace orvane
