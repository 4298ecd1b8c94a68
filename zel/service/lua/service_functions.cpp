// Calling a named remote service from a rule action.
#include <string>
#include <vector>

#include "zel/lattice/text_wrappers.h"
#include "zel/service/lua/action_args.h"
#include "zel/service/lua/action_functions.h"
#include "zel/service/service_registry.h"

namespace zel::actions {

namespace {

std::string Converted(const std::string& text, int (*convert)(const char*, char*)) {
    std::vector<char> out(kConvertSize, '\0');
    convert(text.c_str(), out.data());
    return out.data();
}

// Trailing blanks, tabs and line breaks cut; a JSON object reply gets the
// member "ST" with the service's name.
void MarkReply(std::string& reply, const std::string& name) {
    const size_t end = reply.find_last_not_of(" \t\r\n");
    reply.resize(end == std::string::npos ? 0 : end + 1);
    if (reply.empty() || reply.back() != '}') return;
    reply.pop_back();
    // An empty object takes the member without a separator.
    const size_t last = reply.find_last_not_of(" \t\r\n");
    const bool empty = last != std::string::npos && reply[last] == '{';
    reply += (empty ? "\"ST\":\"" : ",\"ST\":\"") + name + "\"}";
}

}  // namespace

int Server(lua_State* L) {
    if (lua_gettop(L) != 2 || !IsText(L, 1) || !IsText(L, 2)) {
        ParamError("Service Param Error");
        lua_pushstring(L, "");
        return 1;
    }
    const std::string name = TextArg(L, 2);
    std::string reply;
    if (const CServer* server = FindServer(name)) {
        const bool asIs = server->charset == "gbk";
        const std::string text = asIs ? TextArg(L, 1) : Converted(TextArg(L, 1), GBK2UTF8);
        if (PostToServer(*server, text.c_str(), reply)) {
            if (!asIs) reply = Converted(reply, UTF8_2_GBK);
            MarkReply(reply, name);
        } else {
            reply.clear();
        }
    }
    lua_pushlstring(L, reply.data(), reply.size());
    return 1;
}

}  // namespace zel::actions
