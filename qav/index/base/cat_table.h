// Word categories: a query condition may name a category instead of listing
// its words. One table per process, filled at engine start-up and changed by
// query threads at run time, so every access goes through the lock.
#pragma once

#include <map>
#include <set>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

namespace qav {

class CCatTable {
public:
    // Adds the words to the category, creating it when it is new.
    void Add(const std::string& name, const std::vector<std::string>& words);
    // Removes one category; false when there is none of that name.
    bool Remove(std::string_view name);
    void Clear();

    bool Contains(std::string_view name) const;
    // Category names in byte order.
    std::vector<std::string> Names() const;
    // Words of the category in byte order; empty when there is none.
    std::vector<std::string> Words(std::string_view name) const;
    // Inserts the category's words into out; false when there is none.
    bool InsertWordsInto(std::string_view name, std::set<std::string>& out) const;
    size_t Size() const;

private:
    mutable std::shared_mutex mutex_;
    std::map<std::string, std::set<std::string>, std::less<>> table_;
};

extern CCatTable g_mCatTable;

// Loads a category file into g_mCatTable, merging with what is there. False
// only when the file cannot be opened (or its path is 1,024 bytes or longer).
bool CatTableInit(const std::string& path);

}  // namespace qav
