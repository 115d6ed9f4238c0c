#pragma once

// The system's dialler as the test scripts it: the phone-book (or its failure), the active
// connections, each entry's saved dial parameters, how each dial ends, how many status
// queries a connection takes to read "connected", and the error texts. Every call is logged
// in order, and each dial keeps a copy of the parameters it was handed (before it wipes them,
// as the real dialler's adapter does).
//
// Like the real dialler, a dial that succeeds adds its connection to `connections`, and a
// hang-up removes the connection it ends.

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sync/remote_access.h"

namespace tempiko::fakes {

class FakeRemoteAccess final : public sync::RemoteAccess {
 public:
  // What an entry's saved dial parameters hold. (Every field has a default, so that a test may
  // name only those it needs.)
  struct SavedParameters {
    int result = 0;  // what reading them answers; non-zero reads nothing
    std::string user_name{};
    std::string password{};
    bool password_retrieved = false;
    std::string phone_number{};
    std::string callback_number{};
    std::string domain{};
  };
  // How a dial of an entry ends.
  struct DialOutcome {
    int result = 0;
    sync::ConnectionHandle handle = 0;  // 0: a fresh handle when the dial succeeds, else none
    int queries_until_connected = 0;    // status queries that read "not connected" first
  };

  // The phone-book; nullopt: listing it fails.
  std::optional<std::vector<std::string>> entries = std::vector<std::string>{};
  std::vector<sync::ActiveConnection> connections;
  // Entries without saved parameters answer kEntryNotFound, as a name unknown to the
  // phone-book does.
  std::map<std::string, SavedParameters> saved;
  // Entries without an outcome dial successfully.
  std::map<std::string, DialOutcome> dial_outcomes;
  // A handle named here reads "not connected" this many more times before it reads
  // "connected". Any other handle reads "connected" while it is among `connections`.
  std::map<sync::ConnectionHandle, int> queries_until_connected;
  // Codes without a text answer an empty text.
  std::map<int, std::string> error_texts;

  // "Entries", "Connections", "GetDialParameters <entry>", "Dial <entry>", "Connected <handle>",
  // "HangUp <handle>", "ErrorText <code>", in the order of the calls.
  std::vector<std::string> calls;
  // What each dial was handed.
  std::vector<sync::DialParameters> dialled;

  std::optional<std::vector<std::string>> Entries() override {
    calls.push_back("Entries");
    return entries;
  }

  std::vector<sync::ActiveConnection> Connections() override {
    calls.push_back("Connections");
    return connections;
  }

  int GetDialParameters(sync::DialParameters& params) override {
    calls.push_back("GetDialParameters " + params.entry_name);
    const auto found = saved.find(params.entry_name);
    if (found == saved.end())
      return sync::kEntryNotFound;
    const SavedParameters& entry = found->second;
    if (entry.result != 0)
      return entry.result;
    params.user_name = entry.user_name;
    params.password = entry.password;
    params.password_retrieved = entry.password_retrieved;
    params.phone_number = entry.phone_number;
    params.callback_number = entry.callback_number;
    params.domain = entry.domain;
    return 0;
  }

  int Dial(sync::DialParameters& params, sync::ConnectionHandle& handle) override {
    calls.push_back("Dial " + params.entry_name);
    dialled.push_back(params);
    DialOutcome outcome;
    if (const auto found = dial_outcomes.find(params.entry_name); found != dial_outcomes.end())
      outcome = found->second;
    handle = outcome.handle != 0 || outcome.result != 0 ? outcome.handle : next_handle_++;
    if (handle != 0)
      queries_until_connected[handle] = outcome.queries_until_connected;
    if (outcome.result == 0)
      connections.push_back({handle, params.entry_name});
    params.Wipe();
    return outcome.result;
  }

  bool Connected(sync::ConnectionHandle handle) override {
    calls.push_back("Connected " + std::to_string(handle));
    if (const auto found = queries_until_connected.find(handle);
        found != queries_until_connected.end() && found->second > 0) {
      --found->second;
      return false;
    }
    return std::any_of(connections.begin(), connections.end(),
                       [handle](const auto& connection) { return connection.handle == handle; });
  }

  void HangUp(sync::ConnectionHandle handle) override {
    calls.push_back("HangUp " + std::to_string(handle));
    std::erase_if(connections,
                  [handle](const auto& connection) { return connection.handle == handle; });
  }

  std::string ErrorText(int code) override {
    calls.push_back("ErrorText " + std::to_string(code));
    const auto found = error_texts.find(code);
    return found == error_texts.end() ? "" : found->second;
  }

 private:
  sync::ConnectionHandle next_handle_ = 0x100;
};

}  // namespace tempiko::fakes
