#pragma once
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// A temporary folder for one test, removed with everything in it afterwards.
class TestDir {
public:
    TestDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "pictest-XXXXXX").string();
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back('\0');
        if (::mkdtemp(buf.data()) != nullptr) path_ = buf.data();
    }
    ~TestDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    TestDir(const TestDir&) = delete;
    TestDir& operator=(const TestDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream f(File(name), std::ios::binary);
        f.write(bytes.data(), std::streamsize(bytes.size()));
        return File(name);
    }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        return Write(name, std::string(bytes.begin(), bytes.end()));
    }
    std::string Read(const std::string& name) const {
        std::ifstream f(File(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(File(name)); }

private:
    std::string path_;
};
