// The skin installation, run in a child copy of this program so that each case has a run
// directory and a temporary directory of its own, with a stand-in library that records calls.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "skin/install.h"

namespace {

std::string OwnPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

std::string DirectoryOf(const std::string& path) { return path.substr(0, path.rfind('\\')); }

// A directory made by this call: process ids are reused, so a name is only taken when new.
std::string FreshDirectory(const char* tag) {
  static int counter = 0;
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  for (;;) {
    std::string dir = std::string(temp) + "vantrel-install-" + tag + "-" + std::to_string(GetCurrentProcessId()) +
                      "-" + std::to_string(GetTickCount()) + "-" + std::to_string(counter++);
    if (CreateDirectoryA(dir.c_str(), nullptr)) return dir;
  }
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

struct Case {
  int32_t skinNumber;
  bool numberGiven;
  int32_t aeroRequest;
  bool aeroOptional;
  int32_t writes;   // the skin number whose bytes land in skn.she, 0 for none
  uint32_t bytes;   // their count
  bool aero;        // SkinH_SetAero(1) is called
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << "InstallSkin(" << c.skinNumber << ", " << c.numberGiven << ", " << c.aeroRequest << ", " << c.aeroOptional << ")";
}

class InstallSkinCase : public ::testing::TestWithParam<Case> {};

// Runs InstallSkin in a copy of this program in a fresh run directory whose SkinH_EL.dll is the
// stand-in, held open so that the program's own write of the library fails, as it does while
// another copy has it loaded.
TEST_P(InstallSkinCase, WritesTheSkinAndCallsTheLibrary) {
  const Case c = GetParam();
  const std::string run = FreshDirectory("run"), temp = FreshDirectory("temp");
  const std::string exe = run + "\\install.exe";
  ASSERT_TRUE(CopyFileA(OwnPath().c_str(), exe.c_str(), FALSE));
  const std::string library = run + "\\SkinH_EL.dll";
  ASSERT_TRUE(CopyFileA((DirectoryOf(OwnPath()) + "\\skin_stand_in.dll").c_str(), library.c_str(), FALSE));
  HANDLE hold = CreateFileA(library.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(hold, INVALID_HANDLE_VALUE);

  SetEnvironmentVariableA("TMP", temp.c_str());
  SetEnvironmentVariableA("TEMP", temp.c_str());
  std::string command = "\"" + exe + "\" --install " + std::to_string(c.skinNumber) + " " +
                        std::to_string(c.numberGiven) + " " + std::to_string(c.aeroRequest) + " " +
                        std::to_string(c.aeroOptional);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  ASSERT_TRUE(CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, run.c_str(),
                             &startup, &child));
  ASSERT_EQ(WaitForSingleObject(child.hProcess, 20000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(child.hProcess, &code);
  CloseHandle(child.hProcess);
  CloseHandle(child.hThread);
  CloseHandle(hold);
  EXPECT_EQ(code, 0u);

  const std::string skin = temp + "\\skn.she";
  if (c.writes) {
    const std::string written = ReadFile(skin);
    EXPECT_EQ(written.size(), c.bytes);
    const ByteArray expected = SkinFileFor(c.writes);
    ASSERT_NE(expected.bytes, nullptr);
    EXPECT_EQ(written, std::string(reinterpret_cast<const char*>(expected.bytes), expected.count));
    EXPECT_EQ(written.substr(0, 4), ".SHE");
  } else {
    EXPECT_FALSE(Exists(skin));
  }
  // The library keeps its place and gets the hidden attribute alone.
  EXPECT_NE(GetFileAttributesA(library.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);

  // The temporary directory ends in a separator, so the path has two before skn.she.
  std::string calls = "attach|" + temp + "\\\\skn.she|\n";
  if (c.aero) calls += "aero|1\n";
  EXPECT_EQ(ReadFile(run + "\\skin-calls.log"), calls);
}

INSTANTIATE_TEST_SUITE_P(Table, InstallSkinCase, ::testing::Values(
    Case{16, true, 1, true, 16, 18765, true},
    Case{7, false, 1, true, 5, 19657, true},     // no number given: skin 5
    Case{0, true, 1, true, 0, 0, true},          // outside 1 to 40: nothing written
    Case{11, true, 1, true, 0, 0, true},         // the one number without a skin
    Case{41, true, 1, true, 0, 0, true},
    Case{-3, true, 1, true, 0, 0, true},
    Case{29, true, 1, true, 27, 20738, true},    // three numbers share another's bytes
    Case{30, true, 1, true, 1, 15574, true},
    Case{33, true, 1, true, 25, 8321, true},
    Case{16, true, 0, true, 16, 18765, false},   // no aero asked, and it is optional
    Case{16, true, 2, true, 16, 18765, false},
    Case{16, true, 0, false, 16, 18765, true},   // not optional: called whatever was asked
    Case{16, true, 2, false, 16, 18765, true}),
    [](const ::testing::TestParamInfo<Case>& info) {
      const Case& c = info.param;
      return "Number" + std::string(c.skinNumber < 0 ? "Minus" : "") + std::to_string(std::abs(c.skinNumber)) +
             (c.numberGiven ? "" : "NotGiven") + "Aero" + std::to_string(c.aeroRequest) +
             (c.aeroOptional ? "Optional" : "Required");
    });

TEST(SkinFileFor, EveryNumberWithAFileOfItsOwnHasItsOwnBytes) {
  const uint32_t sizes[41] = {0, 15574, 12105, 19786, 9533, 19657, 18930, 15733, 19770, 16746, 25715, 0,
                              30738, 17997, 11676, 41098, 18765, 13192, 17699, 34523, 24409, 26370, 20863,
                              29447, 23603, 8321, 12882, 20738, 44110, 20738, 15574, 28961, 15562, 8321,
                              31134, 30958, 20552, 12564, 20275, 45197, 37461};
  uint64_t total = 0;
  for (int32_t n = 1; n <= 40; ++n) {
    EXPECT_EQ(SkinFileFor(n).count, sizes[n]) << n;
    if (n != 29 && n != 30 && n != 33) total += SkinFileFor(n).count;
  }
  EXPECT_EQ(total, 812644u);
  EXPECT_EQ(SkinFileFor(29).bytes, SkinFileFor(27).bytes);
  EXPECT_EQ(SkinFileFor(30).bytes, SkinFileFor(1).bytes);
  EXPECT_EQ(SkinFileFor(33).bytes, SkinFileFor(25).bytes);
  EXPECT_EQ(SkinLibraryData().count, 88576u);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 6 && std::string(argv[1]) == "--install") {
    InstallSkin(std::atoi(argv[2]), std::atoi(argv[3]) != 0, std::atoi(argv[4]), std::atoi(argv[5]) != 0);
    return 0;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
