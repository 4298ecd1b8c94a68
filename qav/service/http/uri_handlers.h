// Request handlers of the embedded-server style: a request body becomes a
// program that the online runner runs. The server functions of this library
// report no method for a request (web_stubs.h), so the handlers always see an
// empty body; what they produce goes to the log. Clients use the HTTP
// service instead (QAV_Http).
#pragma once

namespace qav {

struct shttpd_arg_t;

// Does nothing.
void IsActive(shttpd_arg_t* request, void* response);

// A structured query (UTF-8): a single line goes through the parser script
// (a line holding "Lua" only shows its program), a text of several lines is
// the program; the online runner's output is logged with "ret  ".
void shttp_uri_struct_enc(shttpd_arg_t* request);

// A full-text JSON request (BMQAVText2Json); charset "utf8" means a UTF-8
// body, anything else GBK.
void shttp_uri_bm_enc(const char* charset, shttpd_arg_t* request);

}  // namespace qav
