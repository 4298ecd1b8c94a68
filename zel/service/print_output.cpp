#include "zel/service/print_output.h"

#include <cstring>

#include "common/platform/file_handle.h"
#include "zel/lattice/scripting_hooks.h"
#include "zel/service/base64.h"
#include "zellib.h"

namespace zel {

FILE* g_fpLuaOutfile = nullptr;

namespace {

constexpr char kImageMarker[] = "@_@";

// Printed lines reach the copy file as soon as this file is linked in.
[[maybe_unused]] const bool kInstalled = (SetPrintLineHook(CopyPrintedLine), true);

}  // namespace

unsigned get_unsigned_int(const unsigned char* bytes) {
    return (static_cast<unsigned>(bytes[0]) << 24) | (static_cast<unsigned>(bytes[1]) << 16) |
           (static_cast<unsigned>(bytes[2]) << 8) | bytes[3];
}

void GetPngWH(const char* path, unsigned& width, unsigned& height) {
    width = height = 0;
    qz::FileHandle file = qz::OpenFile(path, "rb");
    if (!file) return;
    unsigned char header[24];
    if (std::fread(header, 1, sizeof header, file.get()) < sizeof header) return;
    width = get_unsigned_int(header + 16);
    height = get_unsigned_int(header + 20);
}

bool ReadPhotoFile(const char* path, std::string& text) {
    std::string bytes;
    if (!qz::ReadWholeFile(path, bytes)) return false;
    text = CBase64().Encode(bytes.data(), static_cast<int>(bytes.size()));
    return true;
}

void output_png_b64(FILE* file, const char* path) {
    std::string text;
    if (!file || !ReadPhotoFile(path, text)) return;
    const char* slash = std::strrchr(path, '/');
    const char* name = slash ? slash + 1 : path;
    unsigned width = 0, height = 0;
    GetPngWH(path, width, height);
    std::fprintf(file,
                 "<img src=\"data:image/png;base64,\n%s\"\nalt=\"%s\" data-href=\"\" style=\"width: %dpx;height: "
                 "%dpx;\">\n",
                 text.c_str(), name, static_cast<int>(width), static_cast<int>(height));
}

void CopyPrintedLine(const char* line) {
    if (!g_fpLuaOutfile || !line) return;
    if (std::strncmp(line, kImageMarker, sizeof kImageMarker - 1) == 0)
        output_png_b64(g_fpLuaOutfile, line + sizeof kImageMarker - 1);
    else
        std::fprintf(g_fpLuaOutfile, "%s\n", line);
}

}  // namespace zel

// Exported for hosts; the library itself reads PNG headers through zel::.
unsigned get_unsigned_int(unsigned char* bytes) { return zel::get_unsigned_int(bytes); }
