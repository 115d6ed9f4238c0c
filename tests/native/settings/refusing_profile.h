#pragma once

#include <string>
#include <string_view>

#include "app/ini_profile.h"

namespace tempiko::testing_support {

// The portable profile, with writes of one key refused as by a full disk.
class RefusingProfile : public app::IniProfile {
 public:
  using IniProfile::IniProfile;
  bool WriteString(std::string_view section, std::string_view key,
                   std::string_view value) override {
    return key != refused_key && IniProfile::WriteString(section, key, value);
  }
  std::string refused_key;
};

}  // namespace tempiko::testing_support
