// A stand-in for the skinning library that records each call, one line each, in
// "skin-calls.log" beside itself. Built a second time with WRONG_CONVENTION, its attach entry
// leaves its arguments on the stack, as a library built for another calling convention would.
#include <windows.h>

namespace {

void Record(const char* line) {
  char path[MAX_PATH] = {};
  HMODULE self = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&Record), &self);
  GetModuleFileNameA(self, path, MAX_PATH);
  char* slash = path;
  for (char* p = path; *p; ++p)
    if (*p == '\\') slash = p;
  lstrcpyA(slash + 1, "skin-calls.log");
  HANDLE log = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(log, line, static_cast<DWORD>(lstrlenA(line)), &written, nullptr);
  WriteFile(log, "\n", 1, &written, nullptr);
  CloseHandle(log);
}

}  // namespace

#ifdef WRONG_CONVENTION
#define ATTACH_CONVENTION __cdecl
#else
#define ATTACH_CONVENTION __stdcall
#endif

extern "C" int ATTACH_CONVENTION SkinH_AttachEx(const char* skinPath, const char* second) {
  char line[2 * MAX_PATH + 16];
  wsprintfA(line, "attach|%s|%s", skinPath, second);
  Record(line);
  return 1;
}

extern "C" int __stdcall SkinH_SetAero(int value) {
  char line[32];
  wsprintfA(line, "aero|%d", value);
  Record(line);
  return 1;
}
