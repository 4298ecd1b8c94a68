// CKeyList: the built-in attribute names as a sorted array behind a bit
// filter, so that most names outside the list are refused without a search.
#pragma once

#include <string>
#include <vector>

#include "zel/lattice/attribute_names.h"

namespace zel {

class CKeyList {
public:
    // Builds the entries and the filter; always true.
    bool KeyListInit();
    void KeyListExit();
    void SetBit(const char* name);
    // True when the name's bit is set, or when there is no filter yet.
    bool CheckBIT(const char* name) const;
    // Builds the list on first use; the name's code, false for other names.
    bool Lookup(const char* name, Switch_Type& type);

private:
    struct Entry {
        std::string name;  // at most 63 bytes
        Switch_Type type;
    };
    static size_t FilterIndex(const char* name);

    std::vector<Entry> entries_;
    std::vector<unsigned char> filter_;
};

}  // namespace zel
