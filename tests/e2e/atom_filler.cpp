// A test-only tool that fills the window station's global atom table, so that the next window
// class a program registers under a new name is refused, as on a system out of atoms:
//   atom_filler     prints "filled N" once the table is full and keeps it full until its
//                   standard input ends (at most kLongestHold); then frees its atoms and
//                   prints "freed N"
// Before filling it makes windows of the classes a message box is made of and registers the
// common controls, under the program's own manifest: Wine's desktop process then runs, and the
// classes every program of the prefix shares have their atoms, so they stay usable meanwhile.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "win32/owned.h"

namespace {

// Global atoms outlive the program that added them: however the test ends, they go after this.
constexpr DWORD kLongestHold = 60'000;
// How often a slot that another program freed (by ending) is taken again.
constexpr DWORD kTopUpMs = 1;
// The table holds 0x4000 string atoms; this bounds the filling on any system.
constexpr std::size_t kMostAtoms = 0x4000;

DWORD WINAPI ReadUntilEnd(void*) {
  char buffer[64];
  DWORD got = 0;
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &got, nullptr) && got)
    continue;
  return 0;
}

// Adds atoms of new names until the table refuses one.
void Fill(std::vector<ATOM>& atoms) {
  while (atoms.size() < kMostAtoms) {
    const std::wstring name = L"tempiko-atom-filler-" + std::to_wstring(atoms.size());
    const ATOM atom = GlobalAddAtomW(name.c_str());
    if (atom == 0)
      return;
    atoms.push_back(atom);
  }
}

HWND PlainWindow(const wchar_t* class_name) {
  return CreateWindowExW(0, class_name, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

int wmain() {
  const INITCOMMONCONTROLSEX classes{.dwSize = sizeof(INITCOMMONCONTROLSEX),
                                     .dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&classes);
  // A message box is made of static texts and buttons; the common controls register their
  // classes under versioned names with the first window of each.
  const tempiko::win32::UniqueWindow text(PlainWindow(L"STATIC"));
  const tempiko::win32::UniqueWindow button(PlainWindow(L"BUTTON"));

  std::vector<ATOM> atoms;
  Fill(atoms);
  std::printf("filled %zu\n", atoms.size());
  std::fflush(stdout);

  const tempiko::win32::UniqueHandle reader(
      CreateThread(nullptr, 0, &ReadUntilEnd, nullptr, 0, nullptr));
  for (DWORD held = 0; held < kLongestHold; held += kTopUpMs) {
    if (WaitForSingleObject(reader.get(), kTopUpMs) != WAIT_TIMEOUT)
      break;
    Fill(atoms);
  }
  for (ATOM atom : atoms)
    GlobalDeleteAtom(atom);
  std::printf("freed %zu\n", atoms.size());
  std::fflush(stdout);
  // The reader may still be blocked on the input: end without waiting for it.
  ExitProcess(0);
}
