// Binding of on-demand library entries and the checked call into them.
#include "app/external_call.h"

#include <vector>

#include "app/frame.h"

extern "C" int CallStdcallChecked(FARPROC entry, const uint32_t* args, uint32_t count,
                                  uint32_t* result);

namespace {

std::vector<HMODULE>& Loaded() {
  static std::vector<HMODULE> modules;
  return modules;
}

void Bind(ExternalEntry& entry) {
  const Text local = RunDirectory() + "\\" + entry.library;
  HMODULE module = LoadLibraryA(local.c_str());
  if (!module) module = LoadLibraryA(entry.library);
  FARPROC address = module ? GetProcAddress(module, entry.name) : nullptr;
  if (!address) {
    if (module) FreeLibrary(module);
    FatalError(Text("无法找到指定DLL库文件“") + entry.library + "”中的输出命令“" + entry.name + "”", 0);
  }
  Loaded().push_back(module);
  entry.address = address;
}

}  // namespace

uint32_t CallExternal(ExternalEntry& entry, std::initializer_list<uint32_t> arguments) {
  if (!entry.address) Bind(entry);
  uint32_t result = 0;
  if (!CallStdcallChecked(entry.address, arguments.begin(), static_cast<uint32_t>(arguments.size()),
                          &result))
    FatalError("调用DLL命令后发现堆栈错误", 6);
  return result;
}

void FreeExternalLibraries() {
  for (HMODULE module : Loaded()) FreeLibrary(module);
  Loaded().clear();
}
