// Entries of libraries that are loaded on demand at their first call, called with a check that
// the entry removed exactly its arguments from the stack; the libraries are freed at shutdown.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>

struct ExternalEntry {
  const char* library;  // file name, looked for in the run directory first
  const char* name;     // exported name
  FARPROC address = nullptr;
};

// Calls a stdcall entry with 32-bit arguments, binding it first if need be. A library or entry
// that cannot be found, or an entry that leaves the stack unbalanced, ends in FatalError.
uint32_t CallExternal(ExternalEntry& entry, std::initializer_list<uint32_t> arguments);

// Every successful load is matched by one FreeLibrary here.
void FreeExternalLibraries();
