// Reentrant tokenizer: the scan position lives in the caller's state pointer.
#pragma once

#include "common/platform/qz_export.h"

extern "C" {

// Same contract as strtok_r: pass the text on the first call and null after.
QZ_EXPORT char* zq_strtok(char* text, const char* delimiters, char** state);

}
