#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tempiko::sync {

// A connection of the system's dialler; 0 means none.
using ConnectionHandle = std::uintptr_t;

// The dialler's code for "the phone-book entry cannot be found".
inline constexpr int kEntryNotFound = 623;

struct ActiveConnection {
  ConnectionHandle handle = 0;
  std::string entry_name;
};

// Overwrites every byte the text holds or held (its whole capacity), then empties it. The
// writes go through a volatile pointer so that the compiler cannot drop them as dead stores.
inline void WipeText(std::string& text) {
  text.resize(text.capacity());
  volatile char* bytes = text.data();
  for (std::size_t i = 0; i < text.size(); ++i)
    bytes[i] = '\0';
  text.clear();
}

// The parameters of one dial: read from the entry's saved parameters, completed by the
// prompts, handed to the dial and wiped by it. They are never logged or stored; whatever holds
// them wipes them at the latest when it ends.
struct DialParameters {
  std::string entry_name;
  std::string phone_number;  // empty: the entry's own number
  std::string callback_number;
  std::string user_name;
  std::string password;
  std::string domain;
  bool password_retrieved = false;  // the entry has a saved password (even an empty one)

  DialParameters() = default;
  DialParameters(const DialParameters&) = default;
  DialParameters& operator=(const DialParameters&) = default;
  ~DialParameters() { Wipe(); }

  void Wipe() {
    for (std::string* text :
         {&entry_name, &phone_number, &callback_number, &user_name, &password, &domain})
      WipeText(*text);
    password_retrieved = false;
  }
};

// The phone-book and the connections of the system's dialler. Texts are the core's UTF-8.
// Every call may come from any thread: the watcher asks on the window thread while a run's
// worker dials.
class RemoteAccess {
 public:
  virtual ~RemoteAccess() = default;

  // The phone-book's entry names in the dialler's order, or nullopt when it cannot list them
  // (no phone-book, or more than the 100 entries one listing takes).
  virtual std::optional<std::vector<std::string>> Entries() = 0;
  // The active connections in the dialler's order (at most 100); empty when it cannot list
  // them.
  virtual std::vector<ActiveConnection> Connections() = 0;
  // Reads the saved parameters of params.entry_name into the other fields. Answers 0 or the
  // dialler's error code (kEntryNotFound for a name too long to be an entry).
  virtual int GetDialParameters(DialParameters& params) = 0;
  // Dials and blocks until the link is made or has failed; `handle` receives the connection
  // the dialler made, which it may do also when the dial fails. Answers 0 or the dialler's
  // error code. Wipes `params` before it returns.
  virtual int Dial(DialParameters& params, ConnectionHandle& handle) = 0;
  // One query of the connection's state: whether it reads "connected".
  virtual bool Connected(ConnectionHandle handle) = 0;
  // Ends the connection; whether the dialler managed is not examined.
  virtual void HangUp(ConnectionHandle handle) = 0;
  // The dialler's text for an error code (at most 99 bytes in the system's code page); empty
  // when it has none.
  virtual std::string ErrorText(int code) = 0;
};

}  // namespace tempiko::sync
