#pragma once

// The records the program hands to the system's dialler (rasapi32), in their first ANSI
// layouts, those of Windows 95 and NT 4.0, which every later Windows still accepts. The
// toolchain's <ras.h> declares only the latest, larger layouts, so the program declares these
// itself; their sizes and field offsets are checked below.
//
// The platform's headers declare every dialler record with 4-byte packing. It changes nothing
// for the records that hold only DWORDs and texts, but on a 64-bit build it puts the 8-byte
// connection handle of a connection record at offset 4, right after its size field: that
// record is 416 bytes there (412 on a 32-bit build), and a 64-bit dialler refuses any other
// size for it.

#include <windows.h>

#include <cstddef>

namespace tempiko::win32::ras {

// Text fields, each with room for its terminating zero.
inline constexpr std::size_t kEntryNameBytes = 256 + 1;
inline constexpr std::size_t kPhoneNumberBytes = 128 + 1;
inline constexpr std::size_t kUserNameBytes = 256 + 1;
inline constexpr std::size_t kPasswordBytes = 256 + 1;
inline constexpr std::size_t kDomainBytes = 15 + 1;
inline constexpr std::size_t kDeviceTypeBytes = 16 + 1;
inline constexpr std::size_t kDeviceNameBytes = 128 + 1;
// The error text buffer handed to RasGetErrorStringA.
inline constexpr std::size_t kErrorTextBytes = 100;
// Each listing fills at most this many records, in one call.
inline constexpr std::size_t kListLength = 100;
// The state of a connection that is up (RASCS_Connected).
inline constexpr DWORD kConnectedState = 0x2000;

#pragma pack(push, 4)

// RASENTRYNAMEA: one phone-book entry of a listing.
struct EntryName {
  DWORD size;
  char entry_name[kEntryNameBytes];
};

// RASCONNA: one active connection of a listing.
struct Connection {
  DWORD size;
  HANDLE handle;
  char entry_name[kEntryNameBytes];
  char device_type[kDeviceTypeBytes];
  char device_name[kDeviceNameBytes];
};

// RASDIALPARAMSA: what a dial needs; an empty phone number dials the entry's own number.
struct DialParams {
  DWORD size;
  char entry_name[kEntryNameBytes];
  char phone_number[kPhoneNumberBytes];
  char callback_number[kPhoneNumberBytes];
  char user_name[kUserNameBytes];
  char password[kPasswordBytes];
  char domain[kDomainBytes];
};

// RASCONNSTATUSA: the state of one connection.
struct ConnectionStatus {
  DWORD size;
  DWORD state;
  DWORD error;
  char device_type[kDeviceTypeBytes];
  char device_name[kDeviceNameBytes];
};

#pragma pack(pop)

// The sizes each record's size field is set to: the records' own sizes.
inline constexpr DWORD kEntryNameSize = 264;
inline constexpr DWORD kConnectionSize = sizeof(void*) == 8 ? 416 : 412;
inline constexpr DWORD kDialParamsSize = 1052;
inline constexpr DWORD kConnectionStatusSize = 160;

static_assert(sizeof(EntryName) == kEntryNameSize);
static_assert(offsetof(EntryName, entry_name) == 4);

static_assert(sizeof(Connection) == kConnectionSize);
static_assert(offsetof(Connection, handle) == 4);
static_assert(offsetof(Connection, entry_name) == 4 + sizeof(HANDLE));
static_assert(offsetof(Connection, device_type) == 4 + sizeof(HANDLE) + 257);
static_assert(offsetof(Connection, device_name) == 4 + sizeof(HANDLE) + 257 + 17);

static_assert(sizeof(DialParams) == kDialParamsSize);
static_assert(offsetof(DialParams, entry_name) == 4);
static_assert(offsetof(DialParams, phone_number) == 261);
static_assert(offsetof(DialParams, callback_number) == 390);
static_assert(offsetof(DialParams, user_name) == 519);
static_assert(offsetof(DialParams, password) == 776);
static_assert(offsetof(DialParams, domain) == 1033);

static_assert(sizeof(ConnectionStatus) == kConnectionStatusSize);
static_assert(offsetof(ConnectionStatus, state) == 4);
static_assert(offsetof(ConnectionStatus, error) == 8);
static_assert(offsetof(ConnectionStatus, device_type) == 12);
static_assert(offsetof(ConnectionStatus, device_name) == 29);

// A record whose bytes are all zero when it is made (padding included) and are wiped when it
// ends, whatever ends it: for the records that carry a user name and a password.
template <typename Record>
class WipedRecord {
 public:
  WipedRecord() { SecureZeroMemory(&record_, sizeof record_); }
  ~WipedRecord() { SecureZeroMemory(&record_, sizeof record_); }
  WipedRecord(const WipedRecord&) = delete;
  WipedRecord& operator=(const WipedRecord&) = delete;

  Record& get() { return record_; }

 private:
  Record record_;
};

}  // namespace tempiko::win32::ras
