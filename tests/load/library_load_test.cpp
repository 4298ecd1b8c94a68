// Hosts such as script interpreters and plug-in loaders open the libraries at
// run time, long after start-up: each must load in a fresh process, and none
// may ask for static TLS, which a late dlopen cannot be sure to get.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <string>

namespace {

struct Library {
    const char* path;
    const char* symbol;  // one exported name
};

const Library kLibraries[] = {
    {QZ_QAVLIB_PATH, "QAV_Init"},
    {QZ_ZELLIB_PATH, "zq_mutex_create"},
};

bool AsksForStaticTls(const link_map& map) {
    for (const ElfW(Dyn)* entry = map.l_ld; entry->d_tag != DT_NULL; ++entry)
        if (entry->d_tag == DT_FLAGS && (entry->d_un.d_val & DF_STATIC_TLS)) return true;
    return false;
}

TEST(LibraryLoad, BothLibrariesOpenAtRunTimeWithoutStaticTls) {
    for (const Library& library : kLibraries) {
        SCOPED_TRACE(library.path);
        void* handle = dlopen(library.path, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(nullptr, handle) << dlerror();
        EXPECT_NE(nullptr, dlsym(handle, library.symbol)) << dlerror();
        link_map* map = nullptr;
        ASSERT_EQ(0, dlinfo(handle, RTLD_DI_LINKMAP, &map)) << dlerror();
        EXPECT_FALSE(AsksForStaticTls(*map));
        EXPECT_EQ(0, dlclose(handle));
    }
}

}  // namespace
