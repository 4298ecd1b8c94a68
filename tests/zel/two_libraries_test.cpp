// A host linked with the retrieval library that loads the grammar library:
// each library's exported functions keep their own library's behaviour, and
// names both libraries define bind inside each library. (The retrieval
// library's thread-local data needs it loaded at start-up.)
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <lua.hpp>

#include <cstring>

namespace {

struct Library {
    explicit Library(const char* path) : handle(dlopen(path, RTLD_NOW | RTLD_GLOBAL)) {}
    ~Library() {
        if (handle) dlclose(handle);
    }
    void* handle;
};

bool InLibrary(void* symbol, const char* path) {
    Dl_info info{};
    return dladdr(symbol, &info) != 0 && std::strcmp(info.dli_fname, path) == 0;
}

TEST(TwoLibraries, EachKeepsItsOwnFunctions) {
    // The retrieval library's names come first in the global scope.
    void* qav = dlsym(RTLD_DEFAULT, "QAV_Init");
    Dl_info qavInfo{};
    ASSERT_NE(dladdr(qav, &qavInfo), 0);
    const char* qavPath = qavInfo.dli_fname;
    Library zel(QZ_ZELLIB_PATH);
    ASSERT_NE(zel.handle, nullptr) << dlerror();

    // The grammar library's own exports.
    auto regist = reinterpret_cast<int (*)(lua_State*)>(dlsym(zel.handle, "RegistJson"));
    auto* message = static_cast<char*>(dlsym(zel.handle, "g_szMsg"));
    ASSERT_NE(regist, nullptr);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(dlsym(zel.handle, "QAV_Init"), nullptr);
    lua_State* L = luaL_newstate();
    luaL_openlibs(L);
    EXPECT_EQ(regist(L), 1);
    ASSERT_EQ(luaL_dostring(L, "return decode(encode({x = 'y'})).x"), LUA_OK);
    EXPECT_STREQ(lua_tostring(L, -1), "y");
    lua_close(L);

    // Shared names resolve to each library's own copy.
    for (const char* name : {"GBK2UTF8", "zq_mutex_create", "zq_quicksort"}) {
        void* inQav = dlsym(RTLD_DEFAULT, name);
        void* inZel = dlsym(zel.handle, name);
        EXPECT_TRUE(InLibrary(inQav, qavPath)) << name;
        EXPECT_TRUE(InLibrary(inZel, QZ_ZELLIB_PATH)) << name;
    }
    auto gbk2utf8 = reinterpret_cast<void (*)(const char*, char*)>(dlsym(zel.handle, "GBK2UTF8"));
    char utf8[16];
    gbk2utf8("\xD6\xD0\xCE\xC4", utf8);
    EXPECT_STREQ(utf8, "\xE4\xB8\xAD\xE6\x96\x87");
}

}  // namespace
