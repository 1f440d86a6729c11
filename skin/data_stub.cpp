#include "skin/skin_data.h"
extern "C" const uint8_t stub_dll[], stub_dll_end[];
ByteArray SkinLibraryData() { return {stub_dll, static_cast<uint32_t>(stub_dll_end - stub_dll)}; }
ByteArray OwnSkinFileData(int32_t) { return {nullptr, 0}; }
