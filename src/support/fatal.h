#pragma once

// The unrecoverable failure path of the string and list types: running out of memory or an
// invalid position. It never returns; the process ends abnormally.
[[noreturn]] void FatalOutOfMemory();
[[noreturn]] void FatalInvalidArgument();

// On Windows the launcher's own operator new and the standard library's failure hooks lead here
// (cxx_runtime_win.cpp), so that no exception ever travels through it.
