// Helpers shared by the test programs.
#pragma once

#include <string>

namespace qztest {

// A fresh folder under the system temporary folder, removed with everything in
// it when the object goes out of scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string file(const std::string& name) const;

private:
    std::string path_;
};

// Makes folder the working folder for the object's lifetime, then goes back.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::string& folder);
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    bool entered() const { return entered_; }

private:
    std::string previous_;
    bool entered_ = false;
};

// Tests write readable UTF-8 literals; the engines work in GBK.
std::string Gbk(const std::string& utf8);
std::string Utf8(const std::string& gbk);

// Whole-file helpers for fixtures and checks.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

// A TCP socket listening on 127.0.0.1 at a port the system picks: the
// socket (-1 when none could be made), its port in port.
int ListenOnLoopback(int backlog, int& port);

// Folder of the committed fixtures (tests/data).
std::string DataDir();

}  // namespace qztest
