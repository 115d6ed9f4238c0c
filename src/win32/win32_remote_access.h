#pragma once

#include "sync/remote_access.h"

namespace tempiko::win32 {

// The system's dialler through rasapi32, with the records of ras_records.h. No phone-book path
// is ever passed: the system's default phone-book is the one used. Texts cross in the system's
// ANSI code page. It keeps no state, so any thread may call it.
class Win32RemoteAccess final : public sync::RemoteAccess {
 public:
  std::optional<std::vector<std::string>> Entries() override;
  std::vector<sync::ActiveConnection> Connections() override;
  int GetDialParameters(sync::DialParameters& params) override;
  int Dial(sync::DialParameters& params, sync::ConnectionHandle& handle) override;
  bool Connected(sync::ConnectionHandle handle) override;
  void HangUp(sync::ConnectionHandle handle) override;
  std::string ErrorText(int code) override;
};

}  // namespace tempiko::win32
