#include "win32/win32_remote_access.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "win32/ras_records.h"
#include "win32/text_encoding.h"

// The dialler's functions, declared over the program's own records (see ras_records.h); the
// toolchain's <ras.h> would declare them over its larger layouts.
extern "C" {
__declspec(dllimport) DWORD WINAPI
    RasEnumEntriesA(LPCSTR reserved, LPCSTR phone_book, tempiko::win32::ras::EntryName* entries,
                    LPDWORD bytes, LPDWORD count);
__declspec(dllimport) DWORD WINAPI
    RasEnumConnectionsA(tempiko::win32::ras::Connection* connections, LPDWORD bytes, LPDWORD count);
__declspec(dllimport) DWORD WINAPI
    RasGetEntryDialParamsA(LPCSTR phone_book, tempiko::win32::ras::DialParams* params,
                           LPBOOL password_retrieved);
__declspec(dllimport) DWORD WINAPI
    RasDialA(void* extensions, LPCSTR phone_book, tempiko::win32::ras::DialParams* params,
             DWORD notifier_type, void* notifier, HANDLE* connection);
__declspec(dllimport) DWORD WINAPI RasGetErrorStringA(UINT code, LPSTR text, DWORD bytes);
__declspec(dllimport) DWORD WINAPI RasHangUpA(HANDLE connection);
__declspec(dllimport) DWORD WINAPI
    RasGetConnectStatusA(HANDLE connection, tempiko::win32::ras::ConnectionStatus* status);
}

namespace tempiko::win32 {
namespace {

using sync::ConnectionHandle;

HANDLE ToHandle(ConnectionHandle handle) {
  return reinterpret_cast<HANDLE>(handle);
}

ConnectionHandle FromHandle(HANDLE handle) {
  return reinterpret_cast<ConnectionHandle>(handle);
}

// The conversions below may carry a password.
void WipeWide(std::wstring& text) {
  SecureZeroMemory(text.data(), text.capacity() * sizeof(wchar_t));
  text.clear();
}

void Replace(std::string& text, std::string&& with) {
  sync::WipeText(text);
  text = std::move(with);
}

// The dialler's texts are in the system's ANSI code page. What it hands out it has converted
// from its own Unicode store with the system's tables, so the round trip through UTF-8 gives
// it back the same bytes.
//
// A text field the dialler filled, read up to its terminating zero but never past the field's
// last text byte, should the zero be missing.
template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
  std::wstring wide = AnsiToWide(std::string_view(field, strnlen(field, N - 1)));
  std::string text = WideToUtf8(wide);
  WipeWide(wide);
  return text;
}

// UTF-8 as the ANSI code page refuses the flag that turns off look-alike replacements.
DWORD AnsiFlags() {
  return GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
}

int AnsiBytes(std::wstring_view wide) {
  return WideCharToMultiByte(CP_ACP, AnsiFlags(), wide.data(), static_cast<int>(wide.size()),
                             nullptr, 0, nullptr, nullptr);
}

// How many of the text's UTF-16 units fit in `bytes` bytes of the ANSI code page, without
// splitting a character.
std::size_t FittingPrefix(std::wstring_view wide, std::size_t bytes) {
  std::size_t fits = 0;
  std::size_t too_long = wide.size() + 1;
  while (too_long - fits > 1) {
    const std::size_t middle = fits + (too_long - fits) / 2;
    if (static_cast<std::size_t>(AnsiBytes(wide.substr(0, middle))) <= bytes)
      fits = middle;
    else
      too_long = middle;
  }
  if (fits > 0 && fits < wide.size() && IS_HIGH_SURROGATE(wide[fits - 1]))
    --fits;
  return fits;
}

// Writes a text into a zeroed text field, in the ANSI code page, cut at a character boundary
// where it does not fit; a character the code page lacks becomes "?".
template <std::size_t N>
void CopyToField(const std::string& utf8, char (&field)[N]) {
  std::wstring wide = Utf8ToWide(utf8);
  const std::size_t fits = FittingPrefix(wide, N - 1);
  WideCharToMultiByte(CP_ACP, AnsiFlags(), wide.data(), static_cast<int>(fits), field,
                      static_cast<int>(N - 1), nullptr, nullptr);
  WipeWide(wide);
}

// The entry name as the dialler would know it, or nullopt when no entry can bear it: it is
// longer than the record's field holds, or has characters the code page lacks (or a zero).
std::optional<std::string> EntryNameBytes(const std::string& utf8) {
  std::string ansi;
  if (!WideToAnsi(Utf8ToWide(utf8), ansi) || ansi.size() > ras::kEntryNameBytes - 1 ||
      ansi.find('\0') != std::string::npos)
    return std::nullopt;
  return ansi;
}

// A dial record with the parameters, which lives for this one call: it is wiped as soon as
// RasDialA returns.
DWORD DialOnce(const std::string& entry_name, const sync::DialParameters& params,
               HANDLE& connection) {
  ras::WipedRecord<ras::DialParams> record;
  ras::DialParams& fields = record.get();
  fields.size = ras::kDialParamsSize;
  entry_name.copy(fields.entry_name, entry_name.size());
  CopyToField(params.phone_number, fields.phone_number);
  CopyToField(params.callback_number, fields.callback_number);
  CopyToField(params.user_name, fields.user_name);
  CopyToField(params.password, fields.password);
  CopyToField(params.domain, fields.domain);
  // Without a notifier the dial is synchronous.
  return RasDialA(nullptr, nullptr, &fields, 0, nullptr, &connection);
}

}  // namespace

std::optional<std::vector<std::string>> Win32RemoteAccess::Entries() {
  std::vector<ras::EntryName> records(ras::kListLength);
  records[0].size = ras::kEntryNameSize;
  DWORD bytes = ras::kEntryNameSize * ras::kListLength;
  DWORD count = 0;
  if (RasEnumEntriesA(nullptr, nullptr, records.data(), &bytes, &count) != 0)
    return std::nullopt;
  std::vector<std::string> names;
  const std::size_t listed = std::min<std::size_t>(count, ras::kListLength);
  for (std::size_t i = 0; i < listed; ++i)
    names.push_back(FieldText(records[i].entry_name));
  return names;
}

std::vector<sync::ActiveConnection> Win32RemoteAccess::Connections() {
  std::vector<ras::Connection> records(ras::kListLength);
  records[0].size = ras::kConnectionSize;
  DWORD bytes = ras::kConnectionSize * ras::kListLength;
  DWORD count = 0;
  if (RasEnumConnectionsA(records.data(), &bytes, &count) != 0)
    return {};
  std::vector<sync::ActiveConnection> connections;
  const std::size_t listed = std::min<std::size_t>(count, ras::kListLength);
  for (std::size_t i = 0; i < listed; ++i)
    connections.push_back({FromHandle(records[i].handle), FieldText(records[i].entry_name)});
  return connections;
}

int Win32RemoteAccess::GetDialParameters(sync::DialParameters& params) {
  const std::optional<std::string> entry_name = EntryNameBytes(params.entry_name);
  if (!entry_name)
    return sync::kEntryNotFound;
  ras::WipedRecord<ras::DialParams> record;
  ras::DialParams& fields = record.get();
  fields.size = ras::kDialParamsSize;
  entry_name->copy(fields.entry_name, entry_name->size());
  BOOL password_retrieved = FALSE;
  const DWORD result = RasGetEntryDialParamsA(nullptr, &fields, &password_retrieved);
  if (result == 0) {
    Replace(params.phone_number, FieldText(fields.phone_number));
    Replace(params.callback_number, FieldText(fields.callback_number));
    Replace(params.user_name, FieldText(fields.user_name));
    Replace(params.password, FieldText(fields.password));
    Replace(params.domain, FieldText(fields.domain));
    params.password_retrieved = password_retrieved != FALSE;
  }
  return static_cast<int>(result);
}

int Win32RemoteAccess::Dial(sync::DialParameters& params, ConnectionHandle& handle) {
  // Must be null: a handle here would ask the dialler to resume a paused dial.
  HANDLE connection = nullptr;
  const std::optional<std::string> entry_name = EntryNameBytes(params.entry_name);
  const DWORD result =
      entry_name ? DialOnce(*entry_name, params, connection) : sync::kEntryNotFound;
  params.Wipe();
  handle = FromHandle(connection);
  return static_cast<int>(result);
}

bool Win32RemoteAccess::Connected(ConnectionHandle handle) {
  ras::ConnectionStatus status;
  std::memset(&status, 0, sizeof status);
  status.size = ras::kConnectionStatusSize;
  RasGetConnectStatusA(ToHandle(handle), &status);  // a failed query leaves the state at zero
  return status.state == ras::kConnectedState;
}

void Win32RemoteAccess::HangUp(ConnectionHandle handle) {
  RasHangUpA(ToHandle(handle));
}

std::string Win32RemoteAccess::ErrorText(int code) {
  char text[ras::kErrorTextBytes] = {};
  if (RasGetErrorStringA(static_cast<UINT>(code), text, sizeof text) != 0)
    return {};
  return FieldText(text);
}

}  // namespace tempiko::win32
