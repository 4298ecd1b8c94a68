// The runtime and directory names the grammar code is written against,
// mapped onto their POSIX counterparts.
#pragma once

#include <cstdint>
#include <cstdio>

namespace zel {

// Writes value in decimal whatever the radix; returns text.
char* itoa(int value, char* text, int radix);
int stricmp(const char* a, const char* b);
char* _strdup(const char* text);
int64_t _atoi64(const char* text);
int _fseeki64(FILE* file, int64_t offset, int whence);
int64_t _ftelli64(FILE* file);
int _mkdir(const char* path);  // mode 0775
int _access(const char* path);  // 0 when the path exists
int _dup(int fd);
int _dup2(int from, int to);
FILE* _fdopen(int fd, const char* mode);
int zq_chdir(const char* path);
char* zq_getcwd(char* buffer, size_t size);
char* zq_getdir(char* buffer, int size);
// The host's first address as text in buffer; null when it does not resolve.
char* zq_gethostbyname(const char* name, char* buffer, int size);
// Copies source to target in blocks of 65,536 bytes; returns 0.
int zq_copy_file(const char* source, const char* target);

}  // namespace zel
