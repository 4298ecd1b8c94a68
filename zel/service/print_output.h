// Copies what Lua code prints into a file while an example runs; a printed
// line "@_@<path>" becomes an HTML image element with the PNG inlined.
#pragma once

#include <cstdio>
#include <string>

namespace zel {

// Open only while an example runs; every printed line is copied into it.
extern FILE* g_fpLuaOutfile;

// The print hook: writes line to g_fpLuaOutfile (an image element for the
// image marker), nothing while no file is open.
void CopyPrintedLine(const char* line);
// Writes the image element of the PNG at path; nothing when it cannot be read.
void output_png_b64(FILE* file, const char* path);
// The whole file as Base64; false when it cannot be opened.
bool ReadPhotoFile(const char* path, std::string& text);
// Width and height of a PNG's header chunk; both 0 when the file is
// unreadable or shorter than the header.
void GetPngWH(const char* path, unsigned& width, unsigned& height);
// The big-endian 32-bit number at bytes.
unsigned get_unsigned_int(const unsigned char* bytes);

}  // namespace zel
