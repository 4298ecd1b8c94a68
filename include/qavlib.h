/* Public interface of the retrieval library. */
#pragma once

#include "common/qz_export.h"

/* Structured index builds. Both entries build the index directory indexDir
 * (created when missing) with a builder of default settings and return 1 on
 * success, 0 when a stage failed. They keep C++ linkage: their exported names
 * encode the parameter types. Only one build may run in a process at a time.
 *
 * IdxMainAllInOne: configFile is the JSON configuration (copied to
 * "config.txt" in indexDir), corpusList a file naming one corpus file a line.
 * The build log "qav_idx_YYYYMMDD_HHMMSS.log" is written in indexDir. */
QZ_EXPORT int IdxMainAllInOne(const char* configFile, const char* corpusList, const char* indexDir);

/* IdxMain: the older build over a ready file list (lines "path<TAB>kind" of
 * data text files) and a document list in the "Org.txt" format. */
QZ_EXPORT int IdxMain(const char* configFile, const char* orgText, const char* fileList, const char* indexDir);
