#include "common/text/zq_strtok.h"

#include <cstring>

char* zq_strtok(char* text, const char* delimiters, char** state) {
    return strtok_r(text, delimiters, state);
}
