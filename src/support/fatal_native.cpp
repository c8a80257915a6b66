#include "support/fatal.h"

#include <cstdio>
#include <cstdlib>

void FatalOutOfMemory() {
    std::fputs("fatal: out of memory\n", stderr);
    std::abort();
}

void FatalInvalidArgument() {
    std::fputs("fatal: invalid argument to a string operation\n", stderr);
    std::abort();
}
