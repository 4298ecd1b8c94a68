#include "qav/service/http/web_stubs.h"

const char* shttpd_get_env(void*, const char*) { return nullptr; }

int shttpd_get_var(const char*, const char*, int, char*, int) { return 0; }

int shttpd_printf(void*, const char*, ...) { return 0; }

int web_put_status(void*, int) { return 0; }

int web_put_header(void*, const char*, const char*) { return 0; }

int web_end_header(void*) { return 0; }

int web_write(void*, const char*, int) { return 0; }

void shttpd_poll(void*, int) {}
