// How the stand-alone programs beside the tests (the benchmark, the picture taker) find the
// visible main window of a tool process they started.
#pragma once

#include <windows.h>

namespace main_window_search {

struct Search {
  DWORD processId;
  HWND found;
};

inline BOOL CALLBACK Match(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (owner != search->processId || !IsWindowVisible(window) || lstrcmpA(name, "VantrelFrame") != 0) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace main_window_search

// The process's visible main window, or nullptr while it has none.
inline HWND FindMainWindow(DWORD processId) {
  main_window_search::Search search{processId, nullptr};
  EnumWindows(main_window_search::Match, reinterpret_cast<LPARAM>(&search));
  return search.found;
}
