// A test-only holder of a file, as an editor or a virus scanner may hold one: it opens the
// file for reading and shares it for reading only, so that other programs can read it but not
// write it, for as long as a second file (the test's token) exists, and two minutes at most.
//   file_locker PATH TOKEN   prints "locked" once it holds PATH, "unlocked" when it let it go
// Exits 1 when PATH cannot be opened.
#include <windows.h>

#include <cstdio>

#include "win32/owned.h"

namespace {

constexpr DWORD kLongestHoldMs = 120'000;
constexpr DWORD kLookEveryMs = 50;

bool Exists(const wchar_t* path) {
  return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: file_locker PATH TOKEN\n", stderr);
    return 2;
  }
  tempiko::win32::UniqueFileHandle file(CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    return 1;
  std::puts("locked");
  std::fflush(stdout);
  for (DWORD held = 0; held < kLongestHoldMs && Exists(argv[2]); held += kLookEveryMs)
    Sleep(kLookEveryMs);
  file.reset();
  std::puts("unlocked");
  return 0;
}
