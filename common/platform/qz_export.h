// Marks a function or object as part of a shared library's exported interface.
// Everything else is hidden (the libraries build with -fvisibility=hidden).
#pragma once

#define QZ_EXPORT __attribute__((visibility("default")))
