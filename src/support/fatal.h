#pragma once

// The unrecoverable failure path of the string and list types: running out of memory or an
// invalid position. It never returns; the process ends abnormally.
[[noreturn]] void FatalOutOfMemory();
[[noreturn]] void FatalInvalidArgument();

// Routes allocation failures of the standard library (operator new, container growth) into
// FatalOutOfMemory, so that no std::bad_alloc ever travels through the launcher.
void InstallFatalHandlers();
