#pragma once

// The main window's logic on in-memory controls, a recording window shell, virtual timers, a
// recording clock, the real UDP endpoints over scripted socket layers, a settings file in
// a folder of the test's own and a Startup folder in memory.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/ini_profile.h"
#include "app/main_form.h"
#include "app/settings_file.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_remote_access.h"
#include "fakes/fake_socket_layer.h"
#include "fakes/fake_startup_shell.h"
#include "fakes/fake_window_thread.h"
#include "fakes/memory_controls.h"
#include "fakes/ntp_replies.h"
#include "fakes/recording_window_shell.h"
#include "fakes/scripted_host_resolver.h"
#include "fakes/virtual_timer_host.h"
#include "fakes/watched_controls.h"
#include "posix/posix_text_codec.h"
#include "settings/temp_folder.h"

namespace tempiko::app::main_form_fixture {

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
  MainForm& Create(const std::string& option_lines = "") {
    if (!option_lines.empty())
      tempiko::testing_support::WriteBytes(path, "[Option]\r\n" + option_lines);
    form.emplace(MainFormPorts{
        Controls(), shell, timers, window, workers, system_clock, resolver,
        [this](net::SocketEvents& events, const net::ArrivalClock& arrival_clock) {
          // client_endpoint is made first, then relay_endpoint.
          return (made_endpoints++ == 0 ? client_sockets : relay_sockets)
              .Factory()(events, arrival_clock);
        },
        settings, locale, builtin_servers, computer_name, dialler,
        [this](std::chrono::milliseconds pause) { pauses.push_back(pause); }, startup_shell});
    form->OnCreate();
    return *form;
  }

  MainControls Controls() {
    return {.server_box = server_box,
            .offset_label = offset_label,
            .clock_label = clock_label,
            .connect_button = connect_button,
            .exit_button = exit_button,
            .zero_button = zero_button,
            .details_button = details_button,
            .page_button = page_button,
            .status_bar = status_bar,
            .log = log,
            .register_button = register_button,
            .unregister_button = unregister_button,
            .tolerance_field = tolerance_field,
            .drift_field = drift_field,
            .period_field = period_field,
            .delay_field = delay_field,
            .relay_box = relay_box,
            .start_option = start_option,
            .entry_box = entry_box};
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
    last_reply = fakes::DatagramOf(fakes::BuildNtpReply(reply));
    client_sockets.incoming.push_back({last_reply, kServerAddress, 123});
    client_sockets.DeliverAllReadable();
  }

  bool Running(const loop::Timer& timer) const {
    return timer.Enabled() && timers.DueTime(timer).has_value();
  }

  // Ports. Those others refer to come first.
  fakes::ThreadRoles roles;
  fakes::VirtualTimerHost timers{&roles};
  fakes::WatchedComboBox server_box{roles, "ComboBox1"};
  fakes::WatchedLabel offset_label{roles, "Label1", "±0"};
  fakes::WatchedLabel clock_label{roles, "Label4", "0"};
  fakes::WatchedButton connect_button{roles, "Button1", "接続"};
  ui::MemoryButton exit_button{"終了"};
  ui::MemoryButton zero_button{"0 補正"};
  ui::MemoryButton details_button{"詳細 >>"};
  ui::MemoryButton page_button{"ｵﾌﾟｼｮﾝ"};
  fakes::WatchedStatusBar status_bar{roles, "StatusBar1", "最終更新日＞"};
  fakes::WatchedMemo log{roles, "Memo1"};
  ui::MemoryButton register_button{"登録"};
  ui::MemoryButton unregister_button{"削除"};
  fakes::WatchedSpinEdit tolerance_field{roles, "SpinEdit1", 200};
  ui::MemorySpinEdit drift_field;
  ui::MemorySpinEdit period_field;
  ui::MemorySpinEdit delay_field{0, 0, 999};
  ui::MemoryCheckBox relay_box;
  ui::MemoryRadioGroup start_option{2, 0};
  ui::MemoryComboBox entry_box;

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
  fakes::FakeRemoteAccess dialler;
  std::vector<std::chrono::milliseconds> pauses;  // the worker's pauses while a link comes up
  fakes::FakeStartupShell startup_shell;

  std::optional<MainForm> form;
  std::vector<std::uint8_t> last_reply;  // the bytes DeliverReply delivered last
};

}  // namespace tempiko::app::main_form_fixture
