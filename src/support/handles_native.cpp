#include "support/handles.h"

void KernelHandleTraits::Close(Value) {}
void MappedViewTraits::Close(Value) {}
