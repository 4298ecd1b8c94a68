#include "support/test_support.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "common/text/encoding.h"

namespace fs = std::filesystem;

namespace qztest {

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "qztest-XXXXXX").string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
    path_ = buf.data();
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string TempDir::file(const std::string& name) const { return path_ + "/" + name; }

WorkingFolder::WorkingFolder(const std::string& folder) : previous_(fs::current_path().string()) {
    entered_ = chdir(folder.c_str()) == 0;
    EXPECT_TRUE(entered_) << folder;
}

WorkingFolder::~WorkingFolder() {
    if (entered_) {
        EXPECT_EQ(0, chdir(previous_.c_str())) << previous_;
    }
}

std::string Gbk(const std::string& utf8) {
    int n = utf8_to_gbk(utf8.c_str(), nullptr, 0);
    std::string out(static_cast<size_t>(n) + 1, '\0');
    utf8_to_gbk(utf8.c_str(), out.data(), n + 1);
    out.resize(static_cast<size_t>(n));
    return out;
}

std::string Utf8(const std::string& gbk) {
    int n = gbk_to_utf8(gbk.c_str(), nullptr, 0);
    std::string out(static_cast<size_t>(n) + 1, '\0');
    gbk_to_utf8(gbk.c_str(), out.data(), n + 1);
    out.resize(static_cast<size_t>(n));
    return out;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string DataDir() {
    const char* env = std::getenv("QZ_TEST_DATA");
    return env ? env : "data";
}

int ListenOnLoopback(int backlog, int& port) {
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    if (listener < 0) return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    if (bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &length) != 0 || listen(listener, backlog) != 0) {
        close(listener);
        return -1;
    }
    port = ntohs(addr.sin_port);
    return listener;
}

}  // namespace qztest
