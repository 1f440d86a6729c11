// From a window handle to the executable name of the process that owns its top-level ancestor.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "app/text.h"

// One process entry of a snapshot: the platform entry's fields, with a 256-byte name.
struct ProcessRecord {
  uint32_t dwSize;
  uint32_t cntUsage;
  uint32_t th32ProcessID;
  uint32_t th32DefaultHeapID;
  uint32_t th32ModuleID;
  uint32_t cntThreads;
  uint32_t th32ParentProcessID;
  int32_t pcPriClassBase;
  uint32_t dwFlags;
  uint8_t szExeFile[256];
};

// Replaces the list by the processes of a fresh snapshot (id 0 left out); their number.
int32_t SnapshotProcesses(std::vector<ProcessRecord>& list);

// The executable name, or the empty text when there is none to be had.
Text QueryProcessName(HWND window);
