#include <windows.h>

#include "support/handles.h"

void KernelHandleTraits::Close(Value value) { CloseHandle(value); }
void MappedViewTraits::Close(Value value) { UnmapViewOfFile(value); }
