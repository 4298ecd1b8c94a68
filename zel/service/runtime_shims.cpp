#include "zel/service/runtime_shims.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace zel {

char* itoa(int value, char* text, int) {
    std::sprintf(text, "%d", value);
    return text;
}

int stricmp(const char* a, const char* b) { return strcasecmp(a, b); }
char* _strdup(const char* text) { return strdup(text); }
int64_t _atoi64(const char* text) { return std::strtoll(text, nullptr, 10); }
int _fseeki64(FILE* file, int64_t offset, int whence) { return fseeko(file, offset, whence); }
int64_t _ftelli64(FILE* file) { return ftello(file); }
int _mkdir(const char* path) { return mkdir(path, 0775); }
int _access(const char* path) { return access(path, F_OK); }
int _dup(int fd) { return dup(fd); }
int _dup2(int from, int to) { return dup2(from, to); }
FILE* _fdopen(int fd, const char* mode) { return fdopen(fd, mode); }
int zq_chdir(const char* path) { return chdir(path); }
char* zq_getcwd(char* buffer, size_t size) { return getcwd(buffer, size); }
char* zq_getdir(char* buffer, int size) { return getcwd(buffer, static_cast<size_t>(size)); }

char* zq_gethostbyname(const char* name, char* buffer, int size) {
    if (size > 0) buffer[0] = '\0';
    addrinfo* found = nullptr;
    if (getaddrinfo(name, nullptr, nullptr, &found) != 0 || !found) {
        std::printf("gethostbyname error for host:%s\n", name);
        return nullptr;
    }
    const void* address = nullptr;
    if (found->ai_family == AF_INET)
        address = &reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    else if (found->ai_family == AF_INET6)
        address = &reinterpret_cast<const sockaddr_in6*>(found->ai_addr)->sin6_addr;
    if (address && size > 0) inet_ntop(found->ai_family, address, buffer, static_cast<socklen_t>(size));
    freeaddrinfo(found);
    return buffer;
}

int zq_copy_file(const char* source, const char* target) {
    // The source is only read: opening it for update would fail on a
    // read-only file and could not copy it.
    FILE* in = std::fopen(source, "rb");
    FILE* out = std::fopen(target, "w+");
    if (in && out) {
        std::vector<char> block(65536);
        size_t n;
        while ((n = std::fread(block.data(), 1, block.size(), in)) > 0) std::fwrite(block.data(), 1, n, out);
    }
    if (in) std::fclose(in);
    if (out) std::fclose(out);
    return 0;
}

}  // namespace zel
