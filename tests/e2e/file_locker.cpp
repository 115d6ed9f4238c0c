// A test-only holder of a file, as an editor or a virus scanner may hold one: it opens the
// file for reading and shares it for reading only, so that other programs can read it but not
// write it, until its standard input ends.
//   file_locker PATH    prints "locked" once it holds the file, "unlocked" when it let it go
// Exits 1 when the file cannot be opened.
#include <windows.h>

#include <cstdio>

#include "win32/owned.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fputs("usage: file_locker PATH\n", stderr);
    return 2;
  }
  tempiko::win32::UniqueFileHandle file(CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    return 1;
  std::puts("locked");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  file.reset();
  std::puts("unlocked");
  return 0;
}
