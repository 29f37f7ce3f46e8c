#include "CBwfAssert.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

void BwfAssertFailed(const char* file, unsigned line, const char* expression) {
    const char* name = std::strrchr(file, '/');
    name = name != nullptr ? name + 1 : file;
    std::fprintf(stderr, "%s:%u: failed assertion `%s'\n", name, line, expression);
    std::fflush(stderr);
    std::abort();
}
