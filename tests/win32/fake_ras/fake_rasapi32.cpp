// A rasapi32.dll for tests: a scripted phone-book and dialler behind the seven functions the
// program calls. Put it beside the program and run it with WINEDLLOVERRIDES=rasapi32=n.
//
// THE SCRIPT is the file named by the environment variable TEMPIKO_FAKE_RAS (a Windows path;
// Z:/tmp/x/ras.txt reaches /tmp/x/ras.txt under Wine), else fake_ras.txt beside this dll. It is
// read anew on every call, so a test can change it mid-run: write a new file and rename it
// over the old one. Without a script the phone-book is empty and nothing is connected.
//
// One setting per line, key=value; blank lines and lines starting with # are skipped. Texts
// are taken as bytes (the program speaks the system's ANSI code page: cp932 under a Japanese
// locale). Numbers are decimal or 0x hexadecimal.
//
//   entry=NAME              a phone-book entry, in listing order (a name may occur twice).
//                           A name longer than 256 bytes fills its record's field whole,
//                           without a terminating zero, as a broken dialler might.
//   The keys below describe the entry of the latest entry= line:
//   user=TEXT               its saved user name (default empty)
//   password=TEXT           its saved password (default empty)
//   password_retrieved=0|1  whether reading its parameters reports a saved password
//                           (default: 1 when password= is given)
//   phone= callback= domain=  its other saved fields (default empty)
//   params_result=N         what RasGetEntryDialParamsA answers for it (default 0)
//   dial_result=N           what RasDialA answers for it (default 0)
//   accept_user=TEXT        when given, a dial with another user name answers 691
//   accept_password=TEXT    when given, a dial with another password answers 691
//   dial_handle=N           the handle RasDialA hands out for it, also when it fails
//                           (default: a fresh one when the dial succeeds, none when it fails)
//   dial_ms=N               how long RasDialA blocks before it answers (default 0, at most 60000)
//   connect_after=N         status queries of its dialled connection that read "connecting"
//                           before the first that reads "connected" (default 0)
//
//   connection=HANDLE NAME  an active connection made by someone else (online while the line
//                           stands), listed in this order before the ones this process dialled
//   error=CODE TEXT         RasGetErrorStringA's text for CODE (other codes: error 87)
//   entries_result=N        RasEnumEntriesA answers N and lists nothing
//   connections_result=N    RasEnumConnectionsA answers N and lists nothing
//
// A dial that succeeds is listed as a connection of its entry until it is hung up; a failed
// dial's handle reads "disconnected" until then. This state belongs to the process and starts
// afresh whenever the script's path changes.
//
// THE LOG: every call appends one line, when it returns, to the script's path with ".log"
// added: the function, its arguments, "->" and its result. Record sizes (dwSize) and byte
// counts (cb) as given; entry names as bytes; of the dial parameters only which fields are
// filled (1) or empty (0), never their text; zeroed=1 when every byte of a record the caller
// should have zeroed (all but the size and the entry name) was zero. For example:
//
//   RasEnumEntriesA reserved=null phonebook=null dwSize=264 cb=26400 -> 0 cb=528 count=2
//   RasGetEntryDialParamsA phonebook=null dwSize=1052 entry=Office zeroed=1 -> 0 user=1 ...
//   RasDialA extensions=null phonebook=null dwSize=1052 entry=Office phone=0 ... -> 0 handle=...
//
// A status query logs the state it reports: 0x2 connecting, 0x2000 connected, 0x2001
// disconnected. A script line the dll does not understand is logged as "script: not
// understood: LINE" at every call.
//
// Sizes follow the first (Windows 95 / NT 4.0) layouts only, packed to 4 bytes as the
// platform's are: an entry name 264 bytes, a connection 416 (412 in a 32-bit build), the dial
// parameters 1052, a connection status 160. Any other size answers 632 (ERROR_INVALID_SIZE).
// A listing whose buffer is too small answers 603 (ERROR_BUFFER_TOO_SMALL) with the byte count
// and the number of records it needs, as the real one does.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr DWORD kInvalidHandle = 6;
constexpr DWORD kInvalidParameter = 87;
constexpr DWORD kInsufficientBuffer = 122;
constexpr DWORD kBufferTooSmall = 603;
constexpr DWORD kEntryNotFound = 623;
constexpr DWORD kInvalidSize = 632;
constexpr DWORD kAuthenticationFailure = 691;

constexpr DWORD kConnecting = 0x0002;  // RASCS_ConnectDevice
constexpr DWORD kConnected = 0x2000;
constexpr DWORD kDisconnected = 0x2001;

// The first layouts, as offsets: the platform packs its records to 4 bytes, so a connection
// handle follows the size field at once, also on a 64-bit build.
constexpr std::size_t kHandleBytes = sizeof(HANDLE);
constexpr DWORD kEntryNameSize = 264;
constexpr DWORD kConnectionSize = kHandleBytes == 8 ? 416 : 412;
constexpr DWORD kDialParamsSize = 1052;
constexpr DWORD kStatusSize = 160;
constexpr std::size_t kNameBytes = 257;
struct Field {
  std::size_t offset;
  std::size_t bytes;
};
constexpr Field kListedName{4, kNameBytes};
constexpr Field kConnectionHandle{4, kHandleBytes};
constexpr Field kConnectionName{4 + kHandleBytes, kNameBytes};
constexpr Field kDialEntry{4, kNameBytes};
constexpr Field kDialPhone{261, 129};
constexpr Field kDialCallback{390, 129};
constexpr Field kDialUser{519, 257};
constexpr Field kDialPassword{776, 257};
constexpr Field kDialDomain{1033, 16};
constexpr std::size_t kStatusState = 4;
constexpr std::size_t kStatusError = 8;

struct Entry {
  std::string name;
  std::string user, password, phone, callback, domain;
  std::optional<bool> password_retrieved;
  DWORD params_result = 0;
  DWORD dial_result = 0;
  std::optional<std::string> accept_user, accept_password;
  std::optional<std::uintptr_t> dial_handle;
  DWORD dial_ms = 0;
  int connect_after = 0;
};

struct ScriptedConnection {
  std::uintptr_t handle;
  std::string name;
};

struct Script {
  std::vector<Entry> entries;
  std::vector<ScriptedConnection> connections;
  std::vector<std::pair<DWORD, std::string>> error_texts;
  std::optional<DWORD> entries_result;
  std::optional<DWORD> connections_result;
  std::vector<std::string> unknown_lines;
};

// A connection this process dialled, until it is hung up.
struct DialledLink {
  std::uintptr_t handle;
  std::string name;
  bool up;           // the dial succeeded
  DWORD error;       // the dial's result
  int queries_left;  // status queries that still read "connecting"
};

struct State {
  std::wstring script_path;
  std::vector<DialledLink> links;
  std::uintptr_t next_handle = 0x5000;
};

std::mutex state_mutex;
State state;

// ---- the script

std::wstring ThisDllFolder() {
  HMODULE self = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisDllFolder), &self);
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

std::wstring ScriptPath() {
  wchar_t path[1024] = {};
  const DWORD length = GetEnvironmentVariableW(L"TEMPIKO_FAKE_RAS", path, 1024);
  if (length > 0 && length < 1024)
    return std::wstring(path, length);
  return ThisDllFolder() + L"fake_ras.txt";
}

std::string ReadFileBytes(const std::wstring& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return {};
  std::string bytes;
  char chunk[4096];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0)
    bytes.append(chunk, read);
  CloseHandle(file);
  return bytes;
}

std::uintptr_t Number(std::string_view text) {
  return static_cast<std::uintptr_t>(std::strtoull(std::string(text).c_str(), nullptr, 0));
}

// "N REST": the number and the text after the first space.
std::pair<std::uintptr_t, std::string> NumberAndText(std::string_view value) {
  const std::size_t space = value.find(' ');
  if (space == std::string_view::npos)
    return {Number(value), ""};
  return {Number(value.substr(0, space)), std::string(value.substr(space + 1))};
}

bool SetEntryKey(Entry& entry, std::string_view key, std::string_view value) {
  const auto dword = [&] { return static_cast<DWORD>(Number(value)); };
  if (key == "user")
    entry.user = value;
  else if (key == "password")
    entry.password = value;
  else if (key == "password_retrieved")
    entry.password_retrieved = Number(value) != 0;
  else if (key == "phone")
    entry.phone = value;
  else if (key == "callback")
    entry.callback = value;
  else if (key == "domain")
    entry.domain = value;
  else if (key == "params_result")
    entry.params_result = dword();
  else if (key == "dial_result")
    entry.dial_result = dword();
  else if (key == "accept_user")
    entry.accept_user = value;
  else if (key == "accept_password")
    entry.accept_password = value;
  else if (key == "dial_handle")
    entry.dial_handle = Number(value);
  else if (key == "dial_ms")
    entry.dial_ms = std::min<DWORD>(dword(), 60000);
  else if (key == "connect_after")
    entry.connect_after = static_cast<int>(Number(value));
  else
    return false;
  return true;
}

bool SetKey(Script& script, std::string_view key, std::string_view value) {
  if (key == "entry") {
    script.entries.emplace_back();
    script.entries.back().name = value;
  } else if (key == "connection") {
    auto [handle, name] = NumberAndText(value);
    script.connections.push_back({handle, std::move(name)});
  } else if (key == "error") {
    auto [code, text] = NumberAndText(value);
    script.error_texts.emplace_back(static_cast<DWORD>(code), std::move(text));
  } else if (key == "entries_result") {
    script.entries_result = static_cast<DWORD>(Number(value));
  } else if (key == "connections_result") {
    script.connections_result = static_cast<DWORD>(Number(value));
  } else {
    return !script.entries.empty() && SetEntryKey(script.entries.back(), key, value);
  }
  return true;
}

Script ParseScript(const std::string& bytes) {
  Script script;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos)
      end = bytes.size();
    std::string_view line(bytes.data() + start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    if (line.empty() || line.front() == '#')
      continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos ||
        !SetKey(script, line.substr(0, equals), line.substr(equals + 1)))
      script.unknown_lines.emplace_back(line);
  }
  return script;
}

// ---- the log

void AppendToLog(const std::wstring& script_path, const std::string& line) {
  const std::wstring log_path = script_path + L".log";
  const HANDLE file = CreateFileW(log_path.c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return;
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

std::string Hex(std::uintptr_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
  return text;
}

std::string Pointer(const void* pointer) {
  return pointer ? "set" : "null";
}

// One call: its script, its state, and the log line it builds.
class Call {
 public:
  explicit Call(const char* function) : lock_(state_mutex), line_(function) {
    const std::wstring path = ScriptPath();
    if (path != state.script_path) {
      state = State();
      state.script_path = path;
    }
    script_ = ParseScript(ReadFileBytes(path));
    for (const std::string& unknown : script_.unknown_lines)
      AppendToLog(state.script_path, "script: not understood: " + unknown);
  }
  ~Call() { AppendToLog(state.script_path, line_); }
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;

  const Script& script() const { return script_; }
  void Add(const std::string& name, const std::string& value) { line_ += " " + name + "=" + value; }
  void Add(const std::string& name, std::uintptr_t value) { Add(name, std::to_string(value)); }
  DWORD Answer(DWORD result) {
    line_ += " -> " + std::to_string(result);
    return result;
  }
  // Lets other calls run while this one blocks.
  void Unlocked(DWORD milliseconds) {
    lock_.unlock();
    Sleep(milliseconds);
    lock_.lock();
  }

  const Entry* FindEntry(std::string_view name) const {
    for (const Entry& entry : script_.entries)
      if (entry.name == name)
        return &entry;
    return nullptr;
  }

 private:
  std::unique_lock<std::mutex> lock_;
  std::string line_;
  Script script_;
};

// ---- records as bytes

DWORD ReadSize(const void* record) {
  DWORD size = 0;
  std::memcpy(&size, record, sizeof size);
  return size;
}

std::string ReadText(const void* record, Field field) {
  const char* text = static_cast<const char*>(record) + field.offset;
  return std::string(text, strnlen(text, field.bytes));
}

// A text cut to fit the field with its zero; a name may fill the field whole (see above).
void WriteText(void* record, Field field, const std::string& text, bool may_fill = false) {
  char* target = static_cast<char*>(record) + field.offset;
  const std::size_t bytes = std::min(text.size(), may_fill ? field.bytes : field.bytes - 1);
  std::memset(target, 0, field.bytes);
  std::memcpy(target, text.data(), bytes);
}

bool Filled(const void* record, Field field) {
  return static_cast<const char*>(record)[field.offset] != '\0';
}

// Whether every byte from `from` to the record's end is zero.
bool ZeroFrom(const void* record, std::size_t from, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(record);
  for (std::size_t i = from; i < size; ++i)
    if (bytes[i] != 0)
      return false;
  return true;
}

// The dial record should be all zero but for its size and the entry name.
bool DialRecordZeroed(const void* record) {
  const std::size_t name_end = kDialEntry.offset + ReadText(record, kDialEntry).size();
  return ZeroFrom(record, name_end, kDialParamsSize);
}

bool CredentialsAccepted(const Entry& entry, const void* params) {
  return (!entry.accept_user || *entry.accept_user == ReadText(params, kDialUser)) &&
         (!entry.accept_password || *entry.accept_password == ReadText(params, kDialPassword));
}

DialledLink* FindLink(std::uintptr_t handle) {
  for (DialledLink& link : state.links)
    if (link.handle == handle)
      return &link;
  return nullptr;
}

const ScriptedConnection* FindConnection(const Script& script, std::uintptr_t handle) {
  for (const ScriptedConnection& connection : script.connections)
    if (connection.handle == handle)
      return &connection;
  return nullptr;
}

// A listing into the caller's records: the byte-count contract of both enumerations.
template <typename Item, typename Write>
DWORD List(Call& call, void* records, LPDWORD bytes, LPDWORD count, DWORD record_size,
           const std::vector<Item>& items, Write write) {
  const DWORD needed = static_cast<DWORD>(items.size()) * record_size;
  if (*bytes < needed) {
    *bytes = needed;
    *count = static_cast<DWORD>(items.size());
    const DWORD result = call.Answer(kBufferTooSmall);
    call.Add("cb", needed);
    call.Add("count", items.size());
    return result;
  }
  auto* record = static_cast<char*>(records);
  for (const Item& item : items) {
    std::memset(record, 0, record_size);
    std::memcpy(record, &record_size, sizeof record_size);
    write(record, item);
    record += record_size;
  }
  *bytes = needed;
  *count = static_cast<DWORD>(items.size());
  const DWORD result = call.Answer(0);
  call.Add("cb", needed);
  call.Add("count", items.size());
  return result;
}

}  // namespace

extern "C" {

__declspec(dllexport) DWORD WINAPI RasEnumEntriesA(LPCSTR reserved, LPCSTR phone_book,
                                                   void* entries, LPDWORD bytes, LPDWORD count) {
  Call call("RasEnumEntriesA");
  call.Add("reserved", Pointer(reserved));
  call.Add("phonebook", Pointer(phone_book));
  if (!entries || !bytes || !count)
    return call.Answer(kInvalidParameter);
  call.Add("dwSize", ReadSize(entries));
  call.Add("cb", *bytes);
  if (ReadSize(entries) != kEntryNameSize)
    return call.Answer(kInvalidSize);
  if (call.script().entries_result)
    return call.Answer(*call.script().entries_result);
  return List(
      call, entries, bytes, count, kEntryNameSize, call.script().entries,
      [](char* record, const Entry& entry) { WriteText(record, kListedName, entry.name, true); });
}

__declspec(dllexport) DWORD WINAPI
    RasEnumConnectionsA(void* connections, LPDWORD bytes, LPDWORD count) {
  Call call("RasEnumConnectionsA");
  if (!connections || !bytes || !count)
    return call.Answer(kInvalidParameter);
  call.Add("dwSize", ReadSize(connections));
  call.Add("cb", *bytes);
  if (ReadSize(connections) != kConnectionSize)
    return call.Answer(kInvalidSize);
  if (call.script().connections_result)
    return call.Answer(*call.script().connections_result);
  std::vector<ScriptedConnection> active = call.script().connections;
  for (const DialledLink& link : state.links)
    if (link.up)
      active.push_back({link.handle, link.name});
  return List(call, connections, bytes, count, kConnectionSize, active,
              [](char* record, const ScriptedConnection& connection) {
                std::memcpy(record + kConnectionHandle.offset, &connection.handle, kHandleBytes);
                WriteText(record, kConnectionName, connection.name, true);
              });
}

__declspec(dllexport) DWORD WINAPI
    RasGetEntryDialParamsA(LPCSTR phone_book, void* params, LPBOOL password_retrieved) {
  Call call("RasGetEntryDialParamsA");
  call.Add("phonebook", Pointer(phone_book));
  if (!params || !password_retrieved)
    return call.Answer(kInvalidParameter);
  call.Add("dwSize", ReadSize(params));
  if (ReadSize(params) != kDialParamsSize)
    return call.Answer(kInvalidSize);
  const std::string name = ReadText(params, kDialEntry);
  call.Add("entry", name);
  call.Add("zeroed", DialRecordZeroed(params));
  const Entry* entry = call.FindEntry(name);
  if (!entry)
    return call.Answer(kEntryNotFound);
  if (entry->params_result != 0)
    return call.Answer(entry->params_result);
  WriteText(params, kDialPhone, entry->phone);
  WriteText(params, kDialCallback, entry->callback);
  WriteText(params, kDialUser, entry->user);
  WriteText(params, kDialPassword, entry->password);
  WriteText(params, kDialDomain, entry->domain);
  const bool retrieved = entry->password_retrieved.value_or(!entry->password.empty());
  *password_retrieved = retrieved;
  const DWORD result = call.Answer(0);
  call.Add("user", Filled(params, kDialUser));
  call.Add("password", Filled(params, kDialPassword));
  call.Add("retrieved", retrieved);
  return result;
}

__declspec(dllexport) DWORD WINAPI
    RasDialA(void* extensions, LPCSTR phone_book, void* params, DWORD notifier_type, void* notifier,
             HANDLE* connection) {
  Call call("RasDialA");
  call.Add("extensions", Pointer(extensions));
  call.Add("phonebook", Pointer(phone_book));
  if (!params || !connection)
    return call.Answer(kInvalidParameter);
  call.Add("dwSize", ReadSize(params));
  const std::string name = ReadText(params, kDialEntry);
  call.Add("entry", name);
  call.Add("phone", Filled(params, kDialPhone));
  call.Add("callback", Filled(params, kDialCallback));
  call.Add("user", Filled(params, kDialUser));
  call.Add("password", Filled(params, kDialPassword));
  call.Add("domain", Filled(params, kDialDomain));
  call.Add("notifier_type", notifier_type);
  call.Add("notifier", Pointer(notifier));
  call.Add("handle_in", Pointer(*connection));
  if (ReadSize(params) != kDialParamsSize)
    return call.Answer(kInvalidSize);
  const Entry* found = call.FindEntry(name);
  if (!found)
    return call.Answer(kEntryNotFound);
  const Entry entry = *found;
  if (entry.dial_ms > 0)
    call.Unlocked(entry.dial_ms);
  DWORD dialled = entry.dial_result;
  if (dialled == 0 && !CredentialsAccepted(entry, params))
    dialled = kAuthenticationFailure;
  const bool up = dialled == 0;
  const std::uintptr_t handle = entry.dial_handle.value_or(up ? state.next_handle++ : 0);
  *connection = reinterpret_cast<HANDLE>(handle);
  if (handle != 0)
    state.links.push_back({handle, name, up, dialled, entry.connect_after});
  const DWORD result = call.Answer(dialled);
  call.Add("handle", Hex(handle));
  return result;
}

__declspec(dllexport) DWORD WINAPI RasGetErrorStringA(UINT code, LPSTR text, DWORD bytes) {
  Call call("RasGetErrorStringA");
  call.Add("code", code);
  call.Add("cb", bytes);
  if (!text)
    return call.Answer(kInvalidParameter);
  for (const auto& [scripted_code, scripted_text] : call.script().error_texts) {
    if (scripted_code != code)
      continue;
    if (scripted_text.size() + 1 > bytes)
      return call.Answer(kInsufficientBuffer);
    std::memcpy(text, scripted_text.c_str(), scripted_text.size() + 1);
    return call.Answer(0);
  }
  return call.Answer(kInvalidParameter);
}

__declspec(dllexport) DWORD WINAPI RasHangUpA(HANDLE connection) {
  Call call("RasHangUpA");
  const auto handle = reinterpret_cast<std::uintptr_t>(connection);
  call.Add("handle", Hex(handle));
  if (FindLink(handle)) {
    std::erase_if(state.links, [handle](const DialledLink& link) { return link.handle == handle; });
    return call.Answer(0);
  }
  return call.Answer(FindConnection(call.script(), handle) ? 0 : kInvalidHandle);
}

__declspec(dllexport) DWORD WINAPI RasGetConnectStatusA(HANDLE connection, void* status) {
  Call call("RasGetConnectStatusA");
  const auto handle = reinterpret_cast<std::uintptr_t>(connection);
  call.Add("handle", Hex(handle));
  if (!status)
    return call.Answer(kInvalidParameter);
  call.Add("dwSize", ReadSize(status));
  call.Add("zeroed", ZeroFrom(status, sizeof(DWORD), kStatusSize));
  if (ReadSize(status) != kStatusSize)
    return call.Answer(kInvalidSize);
  DWORD state_now = 0;
  DWORD error = 0;
  if (DialledLink* link = FindLink(handle)) {
    if (!link->up) {
      state_now = kDisconnected;
      error = link->error;
    } else if (link->queries_left > 0) {
      --link->queries_left;
      state_now = kConnecting;
    } else {
      state_now = kConnected;
    }
  } else if (FindConnection(call.script(), handle)) {
    state_now = kConnected;
  } else {
    return call.Answer(kInvalidHandle);
  }
  std::memcpy(static_cast<char*>(status) + kStatusState, &state_now, sizeof state_now);
  std::memcpy(static_cast<char*>(status) + kStatusError, &error, sizeof error);
  const DWORD result = call.Answer(0);
  call.Add("state", Hex(state_now));
  return result;
}

}  // extern "C"
