#pragma once

#include "support/unique_resource.h"

// Owners of the kernel objects that the launcher state holds. Their release functions live in
// handles_win.cpp; the native build, which never opens such objects, has no-op stand-ins.
struct KernelHandleTraits {
    using Value = void*;
    static Value Empty() { return nullptr; }
    static void Close(Value value);
};
struct MappedViewTraits {
    using Value = void*;
    static Value Empty() { return nullptr; }
    static void Close(Value value);
};

// Threads, processes, events, mappings: empty is null.
using UniqueHandle = UniqueResource<KernelHandleTraits>;
using UniqueView = UniqueResource<MappedViewTraits>;
