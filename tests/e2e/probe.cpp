// A test-only probe that drives the real program's window from outside, with standard window
// messages only (no coordinates, no focus):
//   probe wait  CLASS TITLE SECONDS     exits 0 once the window is visible
//   probe exists CLASS TITLE SECONDS    exits 0 once the window exists, shown or hidden (a
//                                       program started in the tray)
//   probe text  CLASS TITLE CONTROL-ID  prints the control's text (UTF-8)
//   probe statics CLASS TITLE           prints the texts of the window's static controls, one a
//                                       line (a message box's message)
//   probe click CLASS TITLE CONTROL-ID  clicks a button
//   probe settext CLASS TITLE CONTROL-ID TEXT
//                                       sets the control's text (WM_SETTEXT), as typing would
//                                       leave it: an edit field, a drop-down list's field
//   probe close CLASS TITLE             asks the window to close
//   probe gone  CLASS TITLE SECONDS     exits 0 once no such window exists
//   probe visible CLASS TITLE           exits 0 when the window exists and is visible
//   probe syscmd CLASS TITLE COMMAND    sends a system-menu command (WM_SYSCOMMAND)
//   probe logoff CLASS TITLE            ends the log-on as Windows does: the query, then the end
//   probe items CLASS TITLE CONTROL-ID  prints a combo box's items, one a line
//   probe dropdown CLASS TITLE CONTROL-ID  opens a combo box's list
//   probe settext CLASS TITLE CONTROL-ID TEXT  sets an edit field's text
//   probe masked CLASS TITLE CONTROL-ID exits 0 when the edit field hides what is typed
//   probe resources CLASS TITLE         prints what the window's process holds of the system:
//                                       "handles=N gdi=N user=N" (kernel objects, GDI and USER
//                                       objects; Wine counts only the first)
// CLASS or TITLE may be "-" for any.
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "win32/text_encoding.h"

namespace {

HWND FindTarget(const wchar_t* class_name, const wchar_t* title) {
  const auto any = [](const wchar_t* s) { return std::wstring(s) == L"-" ? nullptr : s; };
  return FindWindowW(any(class_name), any(title));
}

enum class Awaited { kVisible, kPresent, kGone };

bool WaitFor(const wchar_t* class_name, const wchar_t* title, int seconds, Awaited awaited) {
  for (int waited = 0; waited <= seconds * 20; ++waited) {
    HWND window = FindTarget(class_name, title);
    const bool reached = awaited == Awaited::kGone      ? !window
                         : awaited == Awaited::kPresent ? window != nullptr
                                                        : window && IsWindowVisible(window);
    if (reached)
      return true;
    Sleep(50);
  }
  return false;
}

// The control with this id anywhere below the window: controls on the details pages are the
// window's grandchildren.
HWND Control(HWND window, const wchar_t* id) {
  struct Search {
    int id;
    HWND found;
  } search{static_cast<int>(std::wcstol(id, nullptr, 10)), nullptr};
  EnumChildWindows(
      window,
      [](HWND child, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (GetDlgCtrlID(child) != s->id)
          return TRUE;
        s->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int PrintText(HWND control) {
  if (!control)
    return 3;
  const auto length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(control, WM_GETTEXT, static_cast<WPARAM>(text.size()),
               reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  const std::string utf8 = tempiko::win32::WideToUtf8(text);
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  std::fputc('\n', stdout);
  return 0;
}

// The non-empty texts of the window's static controls, one a line.
int PrintStaticTexts(HWND window) {
  std::vector<HWND> statics;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM data) -> BOOL {
        wchar_t class_name[16] = {};
        GetClassNameW(child, class_name, 16);
        if (lstrcmpiW(class_name, L"Static") == 0)
          reinterpret_cast<std::vector<HWND>*>(data)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&statics));
  for (HWND control : statics) {
    if (SendMessageW(control, WM_GETTEXTLENGTH, 0, 0) > 0)
      PrintText(control);
  }
  return 0;
}

int PrintItems(HWND box) {
  if (!box)
    return 3;
  const auto count = SendMessageW(box, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const auto length = SendMessageW(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring item(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
    item.resize(static_cast<std::size_t>(length));
    const std::string utf8 = tempiko::win32::WideToUtf8(item);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fputc('\n', stdout);
  }
  return 0;
}

// The commands on one control of the window (items, dropdown, settext, masked); 2 for another
// command, 3 when the control is missing.
int OnControl(const std::wstring& command, HWND control, const wchar_t* text) {
  if (!control)
    return 3;
  if (command == L"items")
    return PrintItems(control);
  if (command == L"dropdown")
    return SendMessageW(control, CB_SHOWDROPDOWN, TRUE, 0) ? 0 : 1;
  if (command == L"settext")
    return SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? 0 : 1;
  if (command == L"masked")
    return SendMessageW(control, EM_GETPASSWORDCHAR, 0, 0) != 0 ? 0 : 1;
  return 2;
}

// The kernel handles a process holds now, from the system's list of every open handle, or -1.
// (The process list's HandleCount is, under Wine, the size of the handle table, which doubles
// and never shrinks: a peak, not the handles held.)
long HandlesHeld(DWORD process_id) {
  struct HandleEntry {  // SYSTEM_HANDLE_TABLE_ENTRY_INFO
    ULONG owner;
    BYTE type;
    BYTE flags;
    USHORT value;
    PVOID object;
    ACCESS_MASK access;
  };
  constexpr auto kSystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);
  std::vector<BYTE> buffer(1 << 16);
  ULONG needed = 0;
  NTSTATUS status;
  while ((status = NtQuerySystemInformation(kSystemHandleInformation, buffer.data(),
                                            static_cast<ULONG>(buffer.size()), &needed)) ==
         static_cast<NTSTATUS>(0xC0000004L)) {  // STATUS_INFO_LENGTH_MISMATCH
    buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed));
  }
  if (status < 0)
    return -1;
  ULONG count = 0;
  std::memcpy(&count, buffer.data(), sizeof(count));
  // The count, then the entries at their own alignment.
  const std::size_t first =
      alignof(HandleEntry) > sizeof(ULONG) ? alignof(HandleEntry) : sizeof(ULONG);
  long held = 0;
  for (ULONG i = 0; i < count && first + (i + 1) * sizeof(HandleEntry) <= buffer.size(); ++i) {
    HandleEntry entry;
    std::memcpy(&entry, buffer.data() + first + i * sizeof(HandleEntry), sizeof(entry));
    held += entry.owner == process_id;
  }
  return held;
}

// What the window's process holds of the system: kernel handles, GDI and USER objects.
int PrintResources(HWND window) {
  DWORD process_id = 0;
  GetWindowThreadProcessId(window, &process_id);
  const long handles = HandlesHeld(process_id);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, process_id);
  if (handles < 0 || !process)
    return 1;
  const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
  const DWORD user = GetGuiResources(process, GR_USEROBJECTS);
  CloseHandle(process);
  std::printf("handles=%ld gdi=%lu user=%lu\n", handles, gdi, user);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fputs("usage: probe wait|exists|text|click|close|gone CLASS TITLE [ARG]\n", stderr);
    return 2;
  }
  const std::wstring command = argv[1];
  const wchar_t* argument = argc > 4 ? argv[4] : L"0";
  const auto wait_for = [&](Awaited awaited) {
    return WaitFor(argv[2], argv[3], std::wcstol(argument, nullptr, 10), awaited) ? 0 : 1;
  };
  if (command == L"wait")
    return wait_for(Awaited::kVisible);
  if (command == L"exists")
    return wait_for(Awaited::kPresent);
  if (command == L"gone")
    return wait_for(Awaited::kGone);
  HWND window = FindTarget(argv[2], argv[3]);
  if (!window)
    return 1;
  if (command == L"text")
    return PrintText(Control(window, argument));
  if (command == L"statics")
    return PrintStaticTexts(window);
  if (command == L"resources")
    return PrintResources(window);
  if (command == L"click") {
    HWND button = Control(window, argument);
    if (!button)
      return 3;
    SendMessageW(button, BM_CLICK, 0, 0);
    return 0;
  }
  if (command == L"settext") {
    HWND control = Control(window, argument);
    if (!control || argc < 6)
      return 3;
    SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[5]));
    return 0;
  }
  if (command == L"close")
    return PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
  if (command == L"visible")
    return IsWindowVisible(window) ? 0 : 1;
  if (command == L"logoff") {
    const LRESULT agreed = SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
    SendMessageW(window, WM_ENDSESSION, agreed != 0, ENDSESSION_LOGOFF);
    return agreed ? 0 : 1;
  }
  if (command == L"items" || command == L"dropdown" || command == L"settext" ||
      command == L"masked")
    return OnControl(command, Control(window, argument), argc > 5 ? argv[5] : L"");
  if (command == L"syscmd") {
    const auto id = static_cast<WPARAM>(std::wcstol(argument, nullptr, 0));
    return PostMessageW(window, WM_SYSCOMMAND, id, 0) ? 0 : 1;
  }
  return 2;
}
