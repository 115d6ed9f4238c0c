#pragma once

#include <array>
#include <cstddef>

#include "base/ascii_case.h"

namespace tempiko::app {

// The server box's list when the settings file holds none: public NTP services, Japanese ones
// first. The first entry is the one selected when nothing else is chosen, so it is the most
// robust service for users in Japan (the national time standard's public servers).
inline constexpr std::array<const char*, 57> kBuiltInServers = {
    // Japan: the national institute, the Internet exchange's public service, the pool zone.
    "ntp.nict.jp",
    "ntp.jst.mfeed.ad.jp",
    "ntp1.jst.mfeed.ad.jp",
    "ntp2.jst.mfeed.ad.jp",
    "ntp3.jst.mfeed.ad.jp",
    "jp.pool.ntp.org",
    "0.jp.pool.ntp.org",
    "1.jp.pool.ntp.org",
    "2.jp.pool.ntp.org",
    "3.jp.pool.ntp.org",
    "ats1.e-timing.ne.jp",
    "s2csntp.miz.nao.ac.jp",
    // Asia and the global pool.
    "asia.pool.ntp.org",
    "0.asia.pool.ntp.org",
    "1.asia.pool.ntp.org",
    "2.asia.pool.ntp.org",
    "3.asia.pool.ntp.org",
    "pool.ntp.org",
    "0.pool.ntp.org",
    "1.pool.ntp.org",
    "2.pool.ntp.org",
    "3.pool.ntp.org",
    // Pool zones of other countries and continents.
    "kr.pool.ntp.org",
    "tw.pool.ntp.org",
    "hk.pool.ntp.org",
    "sg.pool.ntp.org",
    "cn.pool.ntp.org",
    "au.pool.ntp.org",
    "oceania.pool.ntp.org",
    "north-america.pool.ntp.org",
    "us.pool.ntp.org",
    "europe.pool.ntp.org",
    "de.pool.ntp.org",
    "uk.pool.ntp.org",
    "fr.pool.ntp.org",
    "south-america.pool.ntp.org",
    "africa.pool.ntp.org",
    // Public services of large companies.
    "time.google.com",
    "time1.google.com",
    "time2.google.com",
    "time3.google.com",
    "time4.google.com",
    "time.cloudflare.com",
    "time.windows.com",
    "time.apple.com",
    "time.aws.com",
    "time.facebook.com",
    "ntp.ubuntu.com",
    // National time institutes.
    "time.nist.gov",
    "time-a-g.nist.gov",
    "time-b-g.nist.gov",
    "ptbtime1.ptb.de",
    "ptbtime2.ptb.de",
    "ntp1.npl.co.uk",
    "ntp2.npl.co.uk",
    "stdtime.gov.hk",
    "time.nrc.ca",
};

namespace builtin_servers_detail {

// Every slot holds a name (an initialiser list that is too short leaves null pointers), and no
// name is there twice: the settings file compares names without regard to case.
constexpr bool AllNamesPresentAndDistinct() {
  for (std::size_t i = 0; i < kBuiltInServers.size(); ++i) {
    if (kBuiltInServers[i] == nullptr || kBuiltInServers[i][0] == '\0')
      return false;
    for (std::size_t j = 0; j < i; ++j) {
      if (SameNameIgnoringCase(kBuiltInServers[i], kBuiltInServers[j]))
        return false;
    }
  }
  return true;
}

}  // namespace builtin_servers_detail

static_assert(builtin_servers_detail::AllNamesPresentAndDistinct(),
              "the built-in server list needs 57 distinct names");

}  // namespace tempiko::app
