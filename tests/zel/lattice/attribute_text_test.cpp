#include "zel/lattice/attribute_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "zel/lattice/attribute_names.h"
#include "zel/lattice/key_list.h"
#include "zel/lattice/kv_table.h"

namespace zel {
namespace {

using Strings = std::vector<std::string>;

Strings Values(const CKVTable& table, const char* key) {
    Strings values;
    int n = 0;
    table.GetKVs(key, values, n);
    values.resize(static_cast<size_t>(n));
    return values;
}

TEST(AttributeText, ItemsKeysAndValues) {
    struct Case {
        const char* text;
        const char* key;
        Strings values;
    };
    const Case cases[] = {
        {"POS=n Word=x", "POS", {"n"}},
        {"POS=n Word=x", "Word", {"x"}},
        {"POS=[n v];Tag=N", "POS", {"n", "v"}},
        {"POS=[n v];Tag=N", "Tag", {"N"}},
        {"n", "Tag", {"n"}},
        {"=x", "", {"x"}},
        {"Word=\"a;b\" c", "Word", {"a;b"}},
        {"Word=\"a;b\" c", "Tag", {"c"}},
        {"A=[x y]B=z", "B", {"z"}},
        {"A=[x y]B=z", "A", {"x", "y"}},
    };
    for (const Case& c : cases) {
        CKVTable table;
        table.Insert2KV(c.text);
        EXPECT_EQ(Values(table, c.key), c.values) << c.text << " key " << c.key;
    }
}

TEST(AttributeText, ValueSplittingStopsAtTheFirstQuote) {
    CKVTable table;
    table.Insert2KV("K", "x \"y z\" w");
    EXPECT_EQ(Values(table, "K"), (Strings{"x", "y z w"}));
}

TEST(AttributeText, TrailBytesAreNeverSeparators) {
    // The second byte of these characters is '[', ']' and '|'.
    const std::string word = "\x81\x5B\x81\x5D\x81\x7C";
    CKVTable table;
    table.Insert2KV(("Word=" + word + " POS=n").c_str());
    EXPECT_EQ(Values(table, "Word"), (Strings{word}));
    EXPECT_EQ(Values(table, "POS"), (Strings{"n"}));

    // A lone lead byte at the end is dropped, never read past.
    table.Insert2KV("Tail=ab\xB0");
    EXPECT_EQ(Values(table, "Tail"), (Strings{"ab"}));
}

TEST(AttributeText, UnitIndex) {
    CKVTable index;
    index.New_Table(2048);
    index.InsertKV2Unit("USub", "(3,1)", "(5,1)");
    index.InsertKV2Unit("POS", "[n v]", "(5,1)");
    EXPECT_TRUE(index.IsKV2Unit("USub", "(3,1)", "(5,1)"));
    EXPECT_TRUE(index.IsKV2Unit("USub", "*", "(5,1)"));
    EXPECT_TRUE(index.IsKV2Unit("POS", "n", "(5,1)"));
    EXPECT_TRUE(index.IsKV2Unit("POS", "v", "*"));
    EXPECT_FALSE(index.IsKV2Unit("POS", "*", "(5,1)"));
    EXPECT_FALSE(index.IsKV2Unit("POS", "n", "(4,1)"));
}

TEST(AttributeText, TableConditions) {
    CKVTable table;
    table.Insert2KV("A=1 B=anything x");
    struct Case {
        const char* condition;
        bool holds;
    };
    const Case cases[] = {
        {"A=1&B=*", true}, {"A=2", false}, {"", true}, {"&&", true},
        {"x", true},       {"y", false},   {"A=1&", true}, {"A=1&C=*", false},
    };
    for (const Case& c : cases) EXPECT_EQ(table.CheckExp(c.condition), c.holds) << c.condition;
}

TEST(AttributeText, TransferKV) {
    const std::pair<const char*, const char*> cases[] = {
        {"[a b  c]", "a|b|c"},
        {"[n v]", "n|v"},
        {"A B ", "A|B|"},
        {"  a\t\tb", "a|b"},
        {"[ a ] [ b]", "a|b"},
    };
    for (const auto& [in, out] : cases) {
        std::string text = in;
        TransferKV(text);
        EXPECT_EQ(text, out) << in;
    }
}

TEST(AttributeNames, CodesOfBuiltInNames) {
    InitName2Type();
    EXPECT_EQ(g_mName2Type.size(), 69u);
    const std::pair<const char*, Switch_Type> cases[] = {
        {"Word", SW_Word}, {"HeadWord", SW_HeadWord}, {"UnitNo", SW_Unit},
        {"UHead", SW_UColl}, {"UColl", SW_UColl}, {"Node", SW_Node},
    };
    for (const auto& [name, code] : cases) {
        Switch_Type found{};
        ASSERT_TRUE(LookupKeyList(name, found)) << name;
        EXPECT_EQ(found, code) << name;
        EXPECT_EQ(g_mName2Type.at(name), code) << name;
    }
    Switch_Type found{};
    EXPECT_FALSE(LookupKeyList("word", found));
    EXPECT_EQ(static_cast<int>(SW_UColl), 37);
}

}  // namespace
}  // namespace zel

namespace zel {
namespace {

TEST(AttributeNames, SortedKeyListAgreesWithTheTable) {
    CKeyList list;
    Switch_Type type{};
    ASSERT_TRUE(list.Lookup("UHeadPhr", type));
    EXPECT_EQ(type, SW_UHeadPhr);
    EXPECT_FALSE(list.Lookup("UHeadPhrase", type));
    for (const auto& [name, code] : g_mName2Type) {
        ASSERT_TRUE(list.Lookup(name.c_str(), type)) << name;
        EXPECT_EQ(type, code) << name;
        EXPECT_TRUE(list.CheckBIT(name.c_str()));
    }
    list.KeyListExit();
    EXPECT_TRUE(list.CheckBIT("anything"));  // no filter
}

}  // namespace
}  // namespace zel
