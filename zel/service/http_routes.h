// The answers of the grammar server's routes, apart from the transport.
#pragma once

#include <string>

namespace zel {

// The port text the server was started with; it names the work folder of
// example runs, "./work_<port>".
extern std::string g_szPort;

// The body answered for url with the posted body, and its HTTP status (200
// unless the route refuses the body); false for an unknown route (answered
// with an empty body).
bool AnswerRoute(const std::string& url, const std::string& body, std::string& answer, int& status);
// The largest body the route takes: the analysis route's body holds a whole
// sentence in JSON, the others a Lua code or an example.
size_t MaxRequestBody(const std::string& url);
// Runs posted Lua code in a lattice of its own, bounded in time and memory;
// the answer is what the code wrote with WebPrint, cut at a whole line below
// one megabyte. Errors are dropped, except that passing a bound adds a line
// that says which.
std::string RunPostedLua(const std::string& code);
// Runs the posted example with "./zel -run" in the work folder (one run at a
// time); the answer is its print output in UTF-8.
std::string RunPostedExample(const std::string& example, const std::string& port);

}  // namespace zel
