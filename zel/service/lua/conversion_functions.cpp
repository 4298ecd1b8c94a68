// Text conversions: GBK and UTF-8, half and full width.
#include <vector>

#include "zel/lattice/char_class.h"
#include "zel/lattice/text_wrappers.h"
#include "zel/service/lua/action_args.h"
#include "zel/service/lua/action_functions.h"

namespace zel::actions {

namespace {

constexpr int kWidthSize = 10240;

using Converter = void (*)(const char* text, std::vector<char>& out);

// Exactly one text: pushes its conversion; otherwise prints the misuse
// message and pushes the empty text.
int ConvertOne(lua_State* L, Converter convert, const char* misuse) {
    if (lua_gettop(L) != 1 || !IsText(L, 1)) {
        ParamError(misuse);
        lua_pushstring(L, "");
        return 1;
    }
    const char* text = lua_tostring(L, 1);
    std::vector<char> out;
    convert(text, out);
    lua_pushstring(L, out.data());
    return 1;
}

}  // namespace

int GB2UTF8(lua_State* L) {
    return ConvertOne(
        L,
        [](const char* text, std::vector<char>& out) {
            out.assign(kConvertSize, '\0');
            GBK2UTF8(text, out.data());
        },
        "GB2UTF8 Param Error!");
}

int UTF82GB(lua_State* L) {
    return ConvertOne(
        L,
        [](const char* text, std::vector<char>& out) {
            out.assign(kConvertSize, '\0');
            UTF8_2_GBK(text, out.data());
        },
        "UTF82GB Param Error!");
}

int Ban2Quan(lua_State* L) {
    return ConvertOne(
        L,
        [](const char* text, std::vector<char>& out) {
            out.assign(kWidthSize, '\0');
            Banjiao2Quanjiao(text, out.data(), kWidthSize);
        },
        "Ban2Quan Param Error!");
}

int Quan2Ban(lua_State* L) {
    return ConvertOne(
        L,
        [](const char* text, std::vector<char>& out) {
            // The result is never longer than the text.
            out.assign(kWidthSize + 1, '\0');
            Quanjiao2Banjiao(text, out.data(), kWidthSize + 1);
        },
        "Quan2Ban Param Error!");
}

}  // namespace zel::actions
