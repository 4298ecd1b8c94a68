// Splitting a sectioned text file ("#kind" lines start the sections) into
// one file per section, and reading the first line of a file.
#include <string>

#include "common/platform/file_handle.h"
#include "common/text/line_reader.h"
#include "zel/lattice/error_msg.h"
#include "zellib.h"

namespace {

// The file is read in pieces of at most 1,023 bytes, as the files written
// for it expect: a longer line is taken as several.
constexpr size_t kSectionLineBytes = 1024;

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

bool WriteText(const std::string& path, const std::string& text) {
    qz::FileHandle file = qz::OpenFile(path, "wb");
    if (!file) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
    return qz::CloseFile(file) && written;
}

}  // namespace

bool GetLocalInfo(char* folder, std::vector<std::pair<std::string, std::string>>& files, char* fileName, char* name,
                  std::map<std::string, std::string>& targets) {
    const std::string path = std::string(folder ? folder : "") + "/" + (fileName ? fileName : "");
    qz::LineReader reader(path, kSectionLineBytes, qz::LongLines::kSplit);
    if (!reader.ok()) {
        zel::_ErrorMsg("Error Open %s", path.c_str());
        return false;
    }
    bool ok = true;
    bool inSection = false;  // lines before the first "#" line belong to no section
    std::string kind;
    std::vector<std::string> lines;
    auto closeSection = [&]() {
        if (inSection) ok = WriteToFile(folder, name, &kind[0], lines, files, targets) && ok;
        lines.clear();
    };
    std::string line;
    for (qz::LineReader::Result got; (got = reader.Next(line)) != qz::LineReader::kEnd;) {
        if (got != qz::LineReader::kLine) continue;
        if (StartsWith(line, "//") || StartsWith(line, "--")) continue;
        if (StartsWith(line, "#")) {
            closeSection();
            kind = line.substr(1);
            inSection = true;
        } else if (inSection) {
            lines.push_back(line);
        }
    }
    closeSection();
    return ok;
}

bool WriteToFile(char* folder, char* name, char* kind, std::vector<std::string>& lines,
                 std::vector<std::pair<std::string, std::string>>& files, std::map<std::string, std::string>& targets) {
    const std::string base = std::string(folder ? folder : "") + "/";
    const std::string suffix = std::string("_") + (kind ? kind : "");
    const std::string temporary = base + "Tmp" + suffix;
    const std::string target = base + (name ? name : "") + suffix;
    targets[temporary] = target;
    files.emplace_back(temporary, kind ? kind : "");

    std::string text;
    const std::string* tree = nullptr;
    for (const std::string& line : lines) {
        text += line;
        text += '\n';
        if (StartsWith(line, "^")) tree = &line;
    }
    if (!WriteText(temporary, text)) {
        zel::_ErrorMsg("Error open %s\n", temporary.c_str());
        return false;
    }
    const std::string treeFile = target + "_Tree";
    if (tree && !WriteText(treeFile, tree->substr(1))) {
        zel::_ErrorMsg("Error open %s\n", treeFile.c_str());
        return false;
    }
    return true;
}

void GetStructInfo(std::string file, std::string& text) {
    text.clear();
    qz::FileHandle handle = qz::OpenFile(file, "rb");
    if (!handle) return;
    int c;
    while ((c = std::fgetc(handle.get())) != EOF && c != '\n') text += static_cast<char>(c);
    if (!text.empty() && text.back() == '\r') text.pop_back();
}
