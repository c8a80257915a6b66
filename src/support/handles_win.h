#pragma once

#include <windows.h>

#include "support/handles.h"
#include "support/unique_resource.h"

struct FileHandleTraits {
    using Value = HANDLE;
    static Value Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Value value) { CloseHandle(value); }
};
struct FindHandleTraits {
    using Value = HANDLE;
    static Value Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Value value) { FindClose(value); }
};
struct RegistryKeyTraits {
    using Value = HKEY;
    static Value Empty() { return nullptr; }
    static void Close(Value value) { RegCloseKey(value); }
};
struct ModuleTraits {
    using Value = HMODULE;
    static Value Empty() { return nullptr; }
    static void Close(Value value) { FreeLibrary(value); }
};
struct ServiceHandleTraits {
    using Value = SC_HANDLE;
    static Value Empty() { return nullptr; }
    static void Close(Value value) { CloseServiceHandle(value); }
};
struct EventSourceTraits {
    using Value = HANDLE;
    static Value Empty() { return nullptr; }
    static void Close(Value value) { DeregisterEventSource(value); }
};

// CreateFileW: empty is INVALID_HANDLE_VALUE.
using UniqueFile = UniqueResource<FileHandleTraits>;
using UniqueFind = UniqueResource<FindHandleTraits>;
using UniqueKey = UniqueResource<RegistryKeyTraits>;
using UniqueModule = UniqueResource<ModuleTraits>;
using UniqueServiceHandle = UniqueResource<ServiceHandleTraits>;
using UniqueEventSource = UniqueResource<EventSourceTraits>;
