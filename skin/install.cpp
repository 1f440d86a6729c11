// The skin installation: two file writes, the hidden attribute and the two library calls, each
// step taken whatever the one before it did.
#include "skin/install.h"

#include <windows.h>

#include "app/external_call.h"
#include "app/frame.h"

namespace {

ExternalEntry attachEntry{"SkinH_EL.dll", "SkinH_AttachEx"};
ExternalEntry aeroEntry{"SkinH_EL.dll", "SkinH_SetAero"};

// Replaces the file; a failure is silent, and a failure after opening leaves what was written.
void WriteWholeFile(const Text& path, ByteArray data) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, data.bytes, data.count, &written, nullptr);
  CloseHandle(file);
}

Text TempDirectory() {
  char buffer[MAX_PATH] = {};
  const DWORD length = GetTempPathA(MAX_PATH, buffer);
  Text directory = length > 0 && length < MAX_PATH ? Text(buffer, length) : Text();
  if (!directory.empty() && directory.back() != '\\') directory += '\\';
  return directory;
}

uint32_t Pointer(const char* text) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(text)); }

}  // namespace

ByteArray SkinFileFor(int32_t skinNumber) {
  switch (skinNumber) {
    case 29: skinNumber = 27; break;
    case 30: skinNumber = 1; break;
    case 33: skinNumber = 25; break;
  }
  return OwnSkinFileData(skinNumber);
}

void InstallSkin(int32_t skinNumber, bool numberGiven, int32_t aeroRequest, bool aeroOptional) {
  const Text libraryPath = RunDirectory() + "\\SkinH_EL.dll";
  WriteWholeFile(libraryPath, SkinLibraryData());
  SetFileAttributesA(libraryPath.c_str(), FILE_ATTRIBUTE_HIDDEN);

  const int32_t number = numberGiven ? skinNumber : 5;
  // The temporary directory ends in a separator already, so the path holds two in a row; the
  // platform reads them as one.
  const Text skinPath = TempDirectory() + "\\skn.she";
  const ByteArray skin = SkinFileFor(number);
  if (skin.bytes) WriteWholeFile(skinPath, skin);

  CallExternal(attachEntry, {Pointer(skinPath.c_str()), Pointer("")});
  if (aeroRequest == 1 || !aeroOptional) CallExternal(aeroEntry, {1});
}
