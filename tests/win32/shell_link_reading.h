#pragma once

// Reads a shell link (.lnk) back through the shell link object's wide interface, as the shell
// does when it starts one: for the tests, which check what the program wrote.

#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <optional>
#include <string>

#include "win32/owned.h"
#include "win32/text_encoding.h"

namespace tempiko::testing_support {

struct LinkFields {
  // The target's path as the link's item list names it, in UTF-16 on every system, and as the
  // raw path, which Wine keeps only in the ANSI code page (Windows keeps it in UTF-16 too).
  std::string target;
  std::string raw_target;
  std::string arguments;
  std::string working_directory;
  std::string description;
  std::string icon_location;
  int icon_index = 0;
  WORD hot_key = 0;
  int show_command = 0;
};

// Nothing when the file does not load as a link. COM must be initialised on the thread.
inline std::optional<LinkFields> ReadShellLink(const std::wstring& path) {
  win32::UniqueCom<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(link.put()))))
    return std::nullopt;
  win32::UniqueCom<IPersistFile> file;
  if (FAILED(link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put()))) ||
      FAILED(file.get()->Load(path.c_str(), STGM_READ)))
    return std::nullopt;

  LinkFields fields;
  wchar_t text[4096];
  const auto take = [&](HRESULT result) {
    return SUCCEEDED(result) ? win32::WideToUtf8(text) : std::string("<error>");
  };
  text[0] = L'\0';
  fields.raw_target = take(link.get()->GetPath(text, 4096, nullptr, SLGP_RAWPATH));
  LPITEMIDLIST items = nullptr;
  text[0] = L'\0';
  if (SUCCEEDED(link.get()->GetIDList(&items)) && items) {
    fields.target = SHGetPathFromIDListW(items, text) ? win32::WideToUtf8(text) : "<error>";
    CoTaskMemFree(items);
  }
  text[0] = L'\0';
  fields.arguments = take(link.get()->GetArguments(text, 4096));
  text[0] = L'\0';
  fields.working_directory = take(link.get()->GetWorkingDirectory(text, 4096));
  text[0] = L'\0';
  fields.description = take(link.get()->GetDescription(text, 4096));
  text[0] = L'\0';
  fields.icon_location = take(link.get()->GetIconLocation(text, 4096, &fields.icon_index));
  link.get()->GetHotkey(&fields.hot_key);
  link.get()->GetShowCmd(&fields.show_command);
  return fields;
}

}  // namespace tempiko::testing_support
