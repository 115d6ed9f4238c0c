#include "win32/win32_startup_shell.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <cstdio>

#include "base/errors.h"
#include "win32/error_box.h"
#include "win32/owned.h"
#include "win32/process_start.h"
#include "win32/text_encoding.h"

namespace tempiko::win32 {
namespace {

// An item list the shell allocated for the caller, freed with the shell's allocator (the COM
// task allocator).
struct ItemListTraits {
  using Handle = LPITEMIDLIST;
  static Handle None() { return nullptr; }
  static void Release(Handle items) { CoTaskMemFree(items); }
};
using UniqueItemList = UniqueOwner<ItemListTraits>;

template <typename Interface>
UniqueCom<Interface> QueryOrThrow(IUnknown& object, const GUID& interface_id) {
  UniqueCom<Interface> result;
  const HRESULT found = object.QueryInterface(interface_id, reinterpret_cast<void**>(result.put()));
  if (FAILED(found) || !result)
    throw Exception(SystemErrorText(FAILED(found) ? found : E_NOINTERFACE));
  return result;
}

}  // namespace

std::string SystemErrorText(HRESULT code) {
  // A Win32 error wrapped in an HRESULT has its text under the error's own number.
  const DWORD message = HRESULT_FACILITY(code) == FACILITY_WIN32
                            ? static_cast<DWORD>(HRESULT_CODE(code))
                            : static_cast<DWORD>(code);
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, message, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const UniqueLocalMemory<wchar_t*> owned(buffer);
  std::wstring text(buffer ? buffer : L"", length);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
    text.pop_back();
  if (!text.empty())
    return WideToUtf8(text);
  char number[32];
  std::snprintf(number, sizeof number, "エラー 0x%08lX", static_cast<unsigned long>(code));
  return number;
}

std::string Win32StartupShell::ExecutablePath() {
  return win32::ExecutablePath();
}

// The results of the two shell calls are examined: a folder the shell cannot name, or whose
// path does not fit its buffer, is no folder to write into.
std::optional<std::string> Win32StartupShell::StartupFolder() {
  UniqueItemList items;
  if (FAILED(SHGetSpecialFolderLocation(owner_(), CSIDL_STARTUP, items.put())) || !items)
    return std::nullopt;
  wchar_t path[MAX_PATH] = {};
  if (!SHGetPathFromIDListW(items.get(), path) || path[0] == L'\0')
    return std::nullopt;
  return WideToUtf8(path);
}

bool Win32StartupShell::SaveShortcut(const app::Shortcut& shortcut) {
  UniqueCom<IUnknown> object;
  const HRESULT made =
      CoCreateInstance(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                       IID_IUnknown, reinterpret_cast<void**>(object.put()));
  if (FAILED(made) || !object)
    throw Exception(SystemErrorText(FAILED(made) ? made : E_POINTER));
  const UniqueCom<IShellLinkW> link =
      QueryOrThrow<IShellLinkW>(*object.get(), kShellLinkWideInterface);
  const UniqueCom<IPersistFile> file =
      QueryOrThrow<IPersistFile>(*object.get(), kPersistFileInterface);

  // Only these three are set: description, icon, hot key and show command keep the defaults.
  link.get()->SetPath(Utf8ToWide(shortcut.target_path).c_str());
  link.get()->SetArguments(Utf8ToWide(shortcut.arguments).c_str());
  link.get()->SetWorkingDirectory(Utf8ToWide(shortcut.working_directory).c_str());
  // The object remembers the file as its own (TRUE); a file of that name is replaced.
  return SUCCEEDED(file.get()->Save(Utf8ToWide(shortcut.link_path).c_str(), TRUE));
}

bool Win32StartupShell::DeleteLink(const std::string& path) {
  return DeleteFileW(Utf8ToWide(path).c_str()) != 0;
}

void Win32StartupShell::ShowNotice(const std::string& text) {
  MessageBoxW(owner_(), Utf8ToWide(text).c_str(), kApplicationTitle, MB_OK);
}

}  // namespace tempiko::win32
