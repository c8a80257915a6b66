#include "support/fatal.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>

void FatalOutOfMemory() {
    std::fputs("fatal: out of memory\n", stderr);
    std::abort();
}

void FatalInvalidArgument() {
    std::fputs("fatal: invalid argument to a string operation\n", stderr);
    std::abort();
}

void InstallFatalHandlers() {
    std::set_new_handler([] { FatalOutOfMemory(); });
    std::set_terminate([] { std::abort(); });
}
