#pragma once

// The main window's logic on in-memory controls, a recording window shell, virtual timers, a
// recording clock, the real UDP endpoints over scripted socket layers and a settings file in
// a folder of the test's own.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/form1.h"
#include "app/ini_profile.h"
#include "app/settings_file.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_socket_layer.h"
#include "fakes/fake_window_thread.h"
#include "fakes/memory_controls.h"
#include "fakes/ntp_replies.h"
#include "fakes/recording_window_shell.h"
#include "fakes/scripted_host_resolver.h"
#include "fakes/virtual_timer_host.h"
#include "fakes/watched_controls.h"
#include "posix/posix_text_codec.h"
#include "settings/temp_folder.h"

namespace tempiko::app::form1_fixture {

inline constexpr char kServerIp[] = "192.0.2.10";
inline const net::Ipv4Address kServerAddress = fakes::MakeAddress(192, 0, 2, 10);
inline constexpr char kComputerName[] = "tempiko-pc";
inline constexpr char kComputerIp[] = "192.168.1.20";

// The portable profile, refusing every write on request, as a folder without write access.
class RefusableProfile final : public IniProfile {
 public:
  using IniProfile::IniProfile;
  bool refuse_writes = false;
  bool WriteString(std::string_view section, std::string_view key,
                   std::string_view value) override {
    return !refuse_writes && IniProfile::WriteString(section, key, value);
  }
};

class Form1Test : public ::testing::Test {
 protected:
  Form1Test() { resolver.hosts[kComputerName] = fakes::MakeAddress(192, 168, 1, 20); }

  void TearDown() override {
    EXPECT_THAT(roles.violations, ::testing::IsEmpty());
    EXPECT_THAT(workers.escaped, ::testing::IsEmpty());
  }

  // Writes the section Option with these lines (none: no file at all), then makes the window
  // and runs its creation.
  TForm1& Create(const std::string& option_lines = "") {
    if (!option_lines.empty())
      tempiko::testing_support::WriteBytes(path, "[Option]\r\n" + option_lines);
    form.emplace(
        Form1Ports{Controls(), shell, timers, window, workers, system_clock, resolver,
                   [this](net::SocketEvents& events, const net::ArrivalClock& arrival_clock) {
                     // NMUDP1 is made first, then NMUDP2.
                     return (made_endpoints++ == 0 ? client_sockets : relay_sockets)
                         .Factory()(events, arrival_clock);
                   },
                   settings, locale, builtin_servers, computer_name});
    form->FormCreate();
    return *form;
  }

  MainControls Controls() {
    return {ComboBox1, Label1,     Label4,    Button1,     Button2,  Button5,   Button6,
            Button7,   StatusBar1, Memo1,     Button3,     Button4,  SpinEdit1, SpinEdit2,
            SpinEdit3, SpinEdit4,  CheckBox1, RadioGroup1, ComboBox2};
  }

  std::string Stored(const std::string& key) {
    return settings.ReadString("Option", key, "<absent>");
  }

  // The server answers the request that went out, `offset_ms` ahead of this computer, 100 ms
  // after it was sent.
  void DeliverReply(int offset_ms) {
    const sync::DateTime t1 = form->Run().T1();
    fakes::NtpReplyFields reply;
    reply.receive = t1 + offset_ms / sync::kMillisecondsPerDay;
    reply.transmit = t1 + (offset_ms + 2) / sync::kMillisecondsPerDay;
    system_clock.Advance(100);
    client_sockets.incoming.push_back(
        {fakes::DatagramOf(fakes::BuildNtpReply(reply)), kServerAddress, 123});
    client_sockets.DeliverAllReadable();
  }

  bool Running(const loop::Timer& timer) const {
    return timer.Enabled() && timers.DueTime(timer).has_value();
  }

  // Ports. Those others refer to come first.
  fakes::ThreadRoles roles;
  fakes::VirtualTimerHost timers{&roles};
  fakes::WatchedComboBox ComboBox1{roles, "ComboBox1"};
  fakes::WatchedLabel Label1{roles, "Label1", "±0"};
  fakes::WatchedLabel Label4{roles, "Label4", "0"};
  fakes::WatchedButton Button1{roles, "Button1", "接続"};
  ui::MemoryButton Button2{"終了"};
  ui::MemoryButton Button5{"0 補正"};
  ui::MemoryButton Button6{"詳細 >>"};
  ui::MemoryButton Button7{"ｵﾌﾟｼｮﾝ"};
  fakes::WatchedStatusBar StatusBar1{roles, "StatusBar1", "最終更新日＞"};
  fakes::WatchedMemo Memo1{roles, "Memo1"};
  ui::MemoryButton Button3{"登録"};
  ui::MemoryButton Button4{"削除"};
  fakes::WatchedSpinEdit SpinEdit1{roles, "SpinEdit1", 200};
  ui::MemorySpinEdit SpinEdit2;
  ui::MemorySpinEdit SpinEdit3;
  ui::MemorySpinEdit SpinEdit4{0, 0, 999};
  ui::MemoryCheckBox CheckBox1;
  ui::MemoryRadioGroup RadioGroup1{2, 0};
  ui::MemoryComboBox ComboBox2;

  fakes::RecordingWindowShell shell;
  fakes::InlineWindowThread window{roles};
  fakes::FakeWorkerStarter workers{roles};
  fakes::FakeClock system_clock;  // 2020-01-01 12:00:00 local
  fakes::ScriptedHostResolver resolver;
  fakes::FakeSockets client_sockets;
  fakes::FakeSockets relay_sockets;
  int made_endpoints = 0;
  tempiko::testing_support::TempFolder folder;
  std::string path = folder.File("tempiko.ini");
  RefusableProfile profile{path};
  posix::PosixTextCodec codec;
  SettingsFile settings{profile, codec, path};
  sync::Locale locale = sync::Locale::Japanese();
  std::vector<std::string> builtin_servers = {kServerIp, "ntp.two.example"};
  std::string computer_name = kComputerName;

  std::optional<TForm1> form;
};

}  // namespace tempiko::app::form1_fixture
