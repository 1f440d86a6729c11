// The process-name lookup: climb to the top-level ancestor, take its process id and find that
// id in a fresh process snapshot.
#include "inspector/process_name.h"

#include <tlhelp32.h>

#include <cstring>

int32_t SnapshotProcesses(std::vector<ProcessRecord>& list) {
  std::vector<ProcessRecord> fresh;
  // Only process entries are read, so the snapshot asks for nothing else: heap, module and
  // thread lists would triple its cost, and a module list can be refused outright.
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot != INVALID_HANDLE_VALUE) {
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    ProcessRecord record{};
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
      record.dwSize = entry.dwSize;
      record.cntUsage = entry.cntUsage;
      record.th32ProcessID = entry.th32ProcessID;
      record.th32DefaultHeapID = static_cast<uint32_t>(entry.th32DefaultHeapID);
      record.th32ModuleID = entry.th32ModuleID;
      record.cntThreads = entry.cntThreads;
      record.th32ParentProcessID = entry.th32ParentProcessID;
      record.pcPriClassBase = entry.pcPriClassBase;
      record.dwFlags = entry.dwFlags;
      std::memcpy(record.szExeFile, entry.szExeFile, sizeof record.szExeFile);
      if (record.th32ProcessID != 0) fresh.push_back(record);
    }
    CloseHandle(snapshot);
  }
  list = std::move(fresh);
  return static_cast<int32_t>(list.size());
}

Text QueryProcessName(HWND window) {
  HWND ancestor = window;
  for (HWND up = GetParent(ancestor); up; up = GetParent(ancestor)) ancestor = up;

  DWORD processId = 0;
  GetWindowThreadProcessId(ancestor, &processId);
  if (processId == 0) return Text();

  std::vector<ProcessRecord> processes;
  const int32_t count = SnapshotProcesses(processes);
  for (int32_t i = 0; i < count; ++i) {
    const ProcessRecord& record = processes[static_cast<size_t>(i)];
    if (record.th32ProcessID == processId) return BytesToText(record.szExeFile, sizeof record.szExeFile);
  }
  return Text();
}
