// Web entry points the retrieval library keeps for its callers. The library
// serves HTTP elsewhere; these take no action.
#pragma once

#include "common/platform/qz_export.h"

extern "C" {

// Each returns 0 (null for shttpd_get_env) and does nothing.
QZ_EXPORT const char* shttpd_get_env(void* arg, const char* name);
QZ_EXPORT int shttpd_get_var(const char* name, const char* data, int data_len, char* value, int value_len);
QZ_EXPORT int shttpd_printf(void* arg, const char* format, ...);
QZ_EXPORT int web_put_status(void* arg, int status);
QZ_EXPORT int web_put_header(void* arg, const char* name, const char* value);
QZ_EXPORT int web_end_header(void* arg);
QZ_EXPORT int web_write(void* arg, const char* data, int len);
QZ_EXPORT void shttpd_poll(void* context, int milliseconds);

}
