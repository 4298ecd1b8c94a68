// The answers of the grammar server's routes, apart from the transport.
#pragma once

#include <string>

namespace zel {

// The port text the server was started with; it names the work folder of
// example runs, "./work_<port>".
extern std::string g_szPort;

// The body answered for url with the posted body; false for an unknown route
// (answered with an empty body).
bool AnswerRoute(const std::string& url, const std::string& body, std::string& answer);
// Runs posted Lua code in a lattice of its own, bounded in time; the answer is
// what the code wrote with WebPrint. Errors are dropped.
std::string RunPostedLua(const std::string& code);
// Runs the posted example with "./zel -run" in the work folder (one run at a
// time); the answer is its print output in UTF-8.
std::string RunPostedExample(const std::string& example, const std::string& port);

}  // namespace zel
