#pragma once
// Shared set-up of the launcher window tests: a launcher folder laid out with
// the stand-in programs, XDG folders in which the bitmap editor stand-in opens
// bitmap files, and a registry file of the test's own.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "AppTeardown.h"
#include "orvane/ui/TfrmMain.h"

namespace orvane_test {

namespace fs = std::filesystem;

inline int RunShell(const std::string& command)
{
    return std::system(command.c_str());
}

inline std::string StandinDir()
{
    return std::string(SUITE_BIN_DIR) + "/standins";
}

// The process-wide part: the XDG folders (GIO reads them once per process)
// and the application object.
inline const fs::path& World()
{
    static const fs::path world = [] {
        fs::path w = fs::temp_directory_path() / ("orvane_ui_" + std::to_string(::getpid()));
        fs::remove_all(w);
        fs::create_directories(w);
        const std::string cmd = StandinDir() + "/make-demo-folder '" + w.string() + "' > /dev/null";
        if (RunShell(cmd) != 0)
            ADD_FAILURE() << "make-demo-folder failed";
        ::setenv("XDG_DATA_HOME", (w / "xdg/data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (w / "xdg/config").c_str(), 1);
        ::setenv("MARLO_REGISTRY", (w / "machine.reg").c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        // Stand-ins run until the test tells them to stop.
        ::setenv("ORVANE_STANDIN_SECONDS", "60", 1);
        std::atexit([] { fs::remove_all(fs::temp_directory_path() / ("orvane_ui_" + std::to_string(::getpid()))); });
        return w;
    }();
    return world;
}

inline QApplication& App()
{
    World();
    static int argc = 1;
    static char name[] = "orvane_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

class LauncherTest : public testing::Test {
protected:
    void SetUp() override
    {
        App();
        dir_ = World() / testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir_);
        ASSERT_EQ(RunShell(StandinDir() + "/make-demo-folder '" + dir_.string() + "' > /dev/null"), 0);
        log_ = (dir_ / "standins.log").string();
        ::setenv("ORVANE_STANDIN_LOG", log_.c_str(), 1);
        ::unsetenv("ORVANE_STANDIN_EDIT_FROM");
    }

    void TearDown() override
    {
        frm_.reset();
        StopAll();
        fs::remove_all(dir_);
    }

    // Writes orh10.ini before the window is made.
    void Ini(const std::string& text) { std::ofstream(dir_ / "orh10.ini") << text; }

    orvane::TfrmMain& Make()
    {
        orvane::OrvaneSetup setup{dir_.string(), dir_.string(),
                                  talvix::CProfile::AtPath((dir_ / "orh10.ini").string(), dir_.string()),
                                  (dir_ / "machine.reg").string()};
        frm_ = std::make_unique<orvane::TfrmMain>(std::move(setup));
        frm_->SetMessageRunner([this](const orvane::TfrmMain::MessageRequest& r) {
            messages_.push_back(r);
            return nextAnswer_;
        });
        frm_->SetOpenRunner([this](const orvane::TfrmMain::OpenRequest& r) -> std::optional<QString> {
            openRequests_.push_back(r);
            if (openAnswers_.empty())
                return std::nullopt;
            QString answer = openAnswers_.front();
            openAnswers_.erase(openAnswers_.begin());
            if (answer.isEmpty())
                return std::nullopt;
            return answer;
        });
        frm_->resize(1024, 768);
        frm_->show();
        return *frm_;
    }

    struct Started {
        std::string name;
        pid_t pid = 0;
        std::string folder;
        std::string args;
    };

    std::vector<Started> StartedPrograms() const
    {
        std::vector<Started> out;
        std::ifstream in(log_);
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream s(line);
            Started st;
            s >> st.name >> st.pid >> st.folder;
            std::getline(s, st.args);
            if (!st.args.empty() && st.args.front() == ' ')
                st.args.erase(0, 1);
            out.push_back(st);
        }
        return out;
    }

    // Waits until `count` stand-ins have noted their start.
    bool WaitForStarts(size_t count)
    {
        return QTest::qWaitFor([&] { return StartedPrograms().size() >= count; }, 20000);
    }

    // Tells the last started stand-in to stop and waits for the menu to come back.
    bool StopLastAndWaitForEnd()
    {
        QSignalSpy ended(frm_.get(), &orvane::TfrmMain::programEnded);
        const auto started = StartedPrograms();
        if (started.empty())
            return false;
        ::kill(started.back().pid, SIGTERM);
        return ended.wait(20000);
    }

    void StopAll()
    {
        for (const Started& s : StartedPrograms())
            ::kill(s.pid, SIGTERM);
    }

    std::string Read(const fs::path& path) const
    {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    fs::path dir_;
    std::string log_;
    std::unique_ptr<orvane::TfrmMain> frm_;
    std::vector<orvane::TfrmMain::MessageRequest> messages_;
    QMessageBox::StandardButton nextAnswer_ = QMessageBox::Ok;
    std::vector<orvane::TfrmMain::OpenRequest> openRequests_;
    std::vector<QString> openAnswers_;  // an empty text cancels
};

}  // namespace orvane_test
