#include "qav/index/base/cat_table.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "common/text/line_reader.h"
#include "common/text/text_utils.h"

namespace qav {

CCatTable g_mCatTable;

void CCatTable::Add(const std::string& name, const std::vector<std::string>& words) {
    std::unique_lock lock(mutex_);
    std::set<std::string>& set = table_[name];
    set.insert(words.begin(), words.end());
}

bool CCatTable::Remove(std::string_view name) {
    std::unique_lock lock(mutex_);
    auto it = table_.find(name);
    if (it == table_.end()) return false;
    table_.erase(it);
    return true;
}

void CCatTable::Clear() {
    std::unique_lock lock(mutex_);
    table_.clear();
}

bool CCatTable::Contains(std::string_view name) const {
    std::shared_lock lock(mutex_);
    return table_.find(name) != table_.end();
}

std::vector<std::string> CCatTable::Names() const {
    std::shared_lock lock(mutex_);
    std::vector<std::string> names;
    names.reserve(table_.size());
    for (const auto& entry : table_) names.push_back(entry.first);
    return names;
}

std::vector<std::string> CCatTable::Words(std::string_view name) const {
    std::shared_lock lock(mutex_);
    auto it = table_.find(name);
    if (it == table_.end()) return {};
    return {it->second.begin(), it->second.end()};
}

bool CCatTable::InsertWordsInto(std::string_view name, std::set<std::string>& out) const {
    std::shared_lock lock(mutex_);
    auto it = table_.find(name);
    if (it == table_.end()) return false;
    out.insert(it->second.begin(), it->second.end());
    return true;
}

size_t CCatTable::Size() const {
    std::shared_lock lock(mutex_);
    return table_.size();
}

namespace {

constexpr size_t kMaxPath = 1024;

}  // namespace

bool CatTableInit(const std::string& path) {
    if (path.size() >= kMaxPath) return false;
    qz::LineReader reader(path, 1024, qz::LongLines::kSplit);  // a longer line is read as several lines
    if (!reader.ok()) return false;

    // Words before the first header belong to no category and are dropped.
    bool haveHeader = false;
    std::string name;
    std::vector<std::string> pending;
    auto filePending = [&] {
        if (haveHeader && !pending.empty()) g_mCatTable.Add(name, pending);
        pending.clear();
    };

    std::string line;
    while (reader.Next(line) != qz::LineReader::kEnd) {
        const std::string s = qz::TrimBlanks(line);
        if (s.empty() || s.front() == '/') continue;
        if (s.front() == '#' || s.front() == '.') {
            filePending();
            name.assign(s.substr(1));
            haveHeader = true;
        } else {
            pending.emplace_back(s);
        }
    }
    filePending();
    return true;
}

}  // namespace qav
