// The main window's side of the settings: putting them into its controls, reading them back,
// and the server box at the close.
#include "app/settings_binding.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>

#include "base/errors.h"
#include "fakes/memory_controls.h"
#include "posix/posix_text_codec.h"
#include "refusing_profile.h"
#include "sync/date_time.h"
#include "temp_folder.h"

namespace tempiko::app {
namespace {

using ::testing::ElementsAre;
using testing_support::TempFolder;

// The controls the settings feed, with the limits of the real ones, and the values that live
// beside them.
struct MemorySettingsWindow {
  ui::MemoryRadioGroup radio{2, 0};
  ui::MemoryComboBox entry;
  ui::MemorySpinEdit tolerance{0, 0, 10000};
  ui::MemorySpinEdit amount;
  ui::MemorySpinEdit hours;
  ui::MemorySpinEdit delay{0, 0, 999};
  ui::MemoryCheckBox relay;
  ui::MemoryComboBox servers;
  sync::CorrectionRecord record;
  std::string format;
  bool dial_check = false;
  std::function<void()> resident_option_changed;

  WindowSettings Settings() {
    return {{radio, entry, tolerance, amount, hours, delay, relay, servers},
            record,
            format,
            dial_check,
            [this] {
              if (resident_option_changed)
                resident_option_changed();
            }};
  }
};

// A value with a different value in every field.
Settings Distinct() {
  Settings s;
  s.start_option = 1;
  s.dial_entry = "MyProvider";
  s.tolerance_ms = 300;
  s.drift_ms_per_day = -150;
  s.last_time = sync::EncodeDateTime({2021, 3, 4, 13, 5, 6});
  s.has_last_time = true;
  s.relay_on = true;
  s.period_hours = 3;
  s.start_delay_s = 10;
  s.dial_check = true;
  s.server_list = {"ntp.a", "ntp.b", "ntp.c"};
  s.server_index = 2;
  s.display_format = "hh:nn";
  return s;
}

TEST(SettingsBinding, EverySettingGoesToItsControlAndComesBack) {
  MemorySettingsWindow window;
  const Settings settings = Distinct();
  ApplySettings(settings, window.Settings());
  EXPECT_EQ(window.servers.Text(), "ntp.c");
  EXPECT_EQ(CollectSettings(window.Settings()), settings);
}

TEST(SettingsBinding, TheServerBoxShowsTheListAndTheSelection) {
  const struct {
    int index;
    int shown_index;
    const char* text;  // the field held "typed" before
  } cases[] = {
      {0, 0, "ntp.a"},
      {2, 2, "ntp.c"},
      {-1, -1, "typed"},  // nothing selected: the field keeps its text
  };
  for (const auto& c : cases) {
    MemorySettingsWindow window;
    window.servers.Type("typed");
    Settings settings = Distinct();
    settings.server_index = c.index;
    ApplySettings(settings, window.Settings());
    EXPECT_THAT(window.servers.Items(), ElementsAre("ntp.a", "ntp.b", "ntp.c"));
    EXPECT_EQ(window.servers.ItemIndex(), c.shown_index) << c.index;
    EXPECT_EQ(window.servers.Text(), c.text) << c.index;
  }
}

TEST(SettingsBinding, ATypedServerIsCollectedOnlyWithNoEntrySelected) {
  MemorySettingsWindow window;
  window.servers.SetItems({"ntp.a", "ntp.b"});
  window.servers.SetItemIndex(1);
  EXPECT_EQ(CollectSettings(window.Settings()).typed_server, "");
  window.servers.Type("my.own.server");
  const Settings typed = CollectSettings(window.Settings());
  EXPECT_EQ(typed.server_index, -1);
  EXPECT_EQ(typed.typed_server, "my.own.server");
}

// The relay option handler runs as a click on relay_box or an edit of period_field would: once
// for each control that the settings change.
TEST(SettingsBinding, TheRelayHandlerRunsForEachChange) {
  const struct {
    bool checked_before;
    int hours_before;
    bool relay_on;
    int hours;
    int runs;
  } cases[] = {
      {false, 0, false, 0, 0}, {false, 0, true, 0, 1}, {false, 0, false, 3, 1},
      {false, 0, true, 3, 2},  {true, 3, true, 3, 0},  {true, 3, false, 0, 2},
  };
  for (const auto& c : cases) {
    MemorySettingsWindow window;
    window.relay.SetChecked(c.checked_before);
    window.hours.SetValue(c.hours_before);
    int runs = 0;
    window.resident_option_changed = [&] { ++runs; };
    Settings settings = Distinct();
    settings.relay_on = c.relay_on;
    settings.period_hours = c.hours;
    ApplySettings(settings, window.Settings());
    EXPECT_EQ(runs, c.runs) << c.relay_on << " " << c.hours;
  }
}

// The handler sees the window as it is at each change: the relay ticked but the hours still
// the old ones at the first run, and the dial-up watcher's flag not yet loaded at either.
TEST(SettingsBinding, TheRelayHandlerSeesTheWindowOfThatMoment) {
  MemorySettingsWindow window;
  window.hours.SetValue(1);
  window.dial_check = false;
  std::vector<std::tuple<bool, int, bool, int>> seen;  // relay, hours, DialCheck, delay
  window.resident_option_changed = [&] {
    seen.emplace_back(window.relay.Checked(), window.hours.Value(), window.dial_check,
                      window.delay.Value());
  };
  ApplySettings(Distinct(), window.Settings());
  EXPECT_THAT(seen,
              ElementsAre(std::make_tuple(true, 1, false, 0), std::make_tuple(true, 3, false, 0)));
}

TEST(SettingsBinding, TheControlsKeepTheirLimits) {
  MemorySettingsWindow window;
  Settings settings = Distinct();
  settings.start_option = 5;
  settings.tolerance_ms = 20000;
  settings.start_delay_s = -5;
  ApplySettings(settings, window.Settings());
  const Settings shown = CollectSettings(window.Settings());
  EXPECT_EQ(shown.start_option, 1);
  EXPECT_EQ(shown.tolerance_ms, 10000);
  EXPECT_EQ(shown.start_delay_s, 0);
}

// At the close a typed server becomes the box's first entry and the selected one, as the next
// start shows it; only a save that gets as far as the server list changes the box.
TEST(SettingsBinding, TheSaveShowsATypedServerAsTheFirstEntry) {
  const struct {
    const char* typed;  // nullptr: the second entry stays picked
    const char* refused_key;
    std::vector<std::string> items;
    int index;
    const char* text;
  } cases[] = {
      {"my.own.server", "", {"my.own.server", "ntp.a", "ntp.b"}, 0, "my.own.server"},
      {"", "", {"ntp.a", "ntp.b"}, 0, "ntp.a"},
      {nullptr, "", {"ntp.a", "ntp.b"}, 1, "ntp.b"},
      {"my.own.server", "Agent", {"ntp.a", "ntp.b"}, -1, "my.own.server"},
      {"my.own.server", "ntp.a", {"my.own.server", "ntp.a", "ntp.b"}, 0, "my.own.server"},
  };
  for (const auto& c : cases) {
    TempFolder folder;
    const std::string path = folder.File("tempiko.ini");
    testing_support::RefusingProfile profile{path};
    profile.refused_key = c.refused_key;
    posix::PosixTextCodec codec;
    SettingsFile file(profile, codec, path);

    MemorySettingsWindow window;
    window.servers.SetItems({"ntp.a", "ntp.b"});
    window.servers.SetItemIndex(1);
    if (c.typed)
      window.servers.Type(c.typed);
    const bool saved = [&] {
      try {
        SaveWindowSettings(file, window.Settings(), sync::Locale::Japanese());
        return true;
      } catch (const Exception&) {
        return false;
      }
    }();
    const std::string name = std::string(c.typed ? c.typed : "(picked)") + " " + c.refused_key;
    EXPECT_EQ(saved, *c.refused_key == '\0') << name;
    EXPECT_EQ(window.servers.Items(), c.items) << name;
    EXPECT_EQ(window.servers.ItemIndex(), c.index) << name;
    EXPECT_EQ(window.servers.Text(), c.text) << name;
  }
}

}  // namespace
}  // namespace tempiko::app
