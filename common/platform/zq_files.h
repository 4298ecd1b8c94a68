// Files and directories of the retrieval library's portability layer.
// Paths use "/" or "\\" as separators.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "common/platform/qz_export.h"

// Paths of this many bytes or more are refused by zq_mkdirs.
#define ZQ_MAX_PATH 1024

extern "C" {

// Creates every directory along the path (mode 0775), skipping existing ones.
// 1 when the whole path exists at the end; 0 at the first directory that can
// neither be found nor created, and for a path of ZQ_MAX_PATH bytes or more.
QZ_EXPORT int zq_mkdirs(const char* path);

// Called for every regular file with its full path; 0 stops the walk.
typedef int (*zq_walk_fn)(const char* path, void* context);
// Depth first in directory order over the tree under `dir`; entries that are
// neither regular files nor directories (fifos, sockets, devices) are skipped.
// `pass` is handed unchanged to the nested walks. 1 when the walk completed,
// 0 when the callback stopped it or a directory cannot be opened.
QZ_EXPORT int zq_walkdir(const char* dir, void* pass, zq_walk_fn callback, void* context);

// 1 when the path exists and is a regular file.
QZ_EXPORT int zq_isfile(const char* path);
// Copies the part of the path before its last separator into dest (which must
// hold strlen(path) + 1 bytes); a path without separator is copied whole. Returns dest.
QZ_EXPORT char* zq_getdirbyfile(const char* path, char* dest);
// Removes one trailing separator in place; returns the length before the removal.
QZ_EXPORT int zq_remove_last_dir_sep(char* path);
// Number of line-feed bytes in the file; 0 when it cannot be read.
QZ_EXPORT int64_t zq_get_file_lines(const char* path);
// fseek with a 64-bit offset.
QZ_EXPORT int zq_fseek64(FILE* file, int64_t offset, int origin);
// Writes the items in pieces of at most 1 GiB (whole items per piece); returns
// the number of items written. Items larger than 1 GiB are not written (0).
QZ_EXPORT size_t zq_fwrite64(const void* data, size_t item_size, size_t item_count, FILE* file);
// 0 on success; -1 when either file cannot be opened or the copy fails.
// The destination is opened (and emptied) even when the source is missing.
QZ_EXPORT int zq_copy_file(const char* source, const char* destination);
// The directory of the running program with a trailing "/"; null when it
// cannot be read or does not fit the buffer.
QZ_EXPORT char* get_exe_path(char* buffer, int size);

}
