// Owner of a module loaded with LoadLibraryExW (for example as a data file).
#pragma once
#include "framework/UniqueHandle.h"

struct ModuleHandleTraits {
    using Handle = HMODULE;
    static Handle None() { return nullptr; }
    static void Close(Handle h) { ::FreeLibrary(h); }
};
using ModuleHandle = UniqueHandle<ModuleHandleTraits>;
