// The credentials of one dial do not outlive it: wiping overwrites the bytes a text held, not
// only its length.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_remote_access.h"
#include "sync/remote_access.h"

namespace tempiko::sync {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;

// The bytes of the text's buffer, all of its capacity, whatever its length says now.
std::string BufferBytes(const std::string& text) {
  return std::string(text.data(), text.capacity());
}

TEST(DialParametersTest, WipingOverwritesEveryByteTheTextEverHeld) {
  const struct {
    const char* name;
    std::string text;
  } cases[] = {
      {"short, inside the string itself", "hunter2"},
      {"long, on the heap", std::string(300, 'p')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string text = c.text;
    text.resize(3);  // a shorter text leaves the old bytes beyond its end
    const char* buffer = text.data();
    WipeText(text);
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(text.data(), buffer);  // the same buffer, now zero
    EXPECT_THAT(BufferBytes(text), Each('\0'));
  }
}

TEST(DialParametersTest, WipeEmptiesEveryFieldAndForgetsTheSavedPassword) {
  DialParameters params;
  params.entry_name = "Office";
  params.phone_number = "0312345678";
  params.callback_number = "0398765432";
  params.user_name = "alice";
  params.password = std::string(40, 's');
  params.domain = "CORP";
  params.password_retrieved = true;
  const char* password_buffer = params.password.data();

  params.Wipe();

  for (const std::string* text : {&params.entry_name, &params.phone_number, &params.callback_number,
                                  &params.user_name, &params.password, &params.domain})
    EXPECT_TRUE(text->empty());
  EXPECT_FALSE(params.password_retrieved);
  EXPECT_EQ(params.password.data(), password_buffer);
  EXPECT_THAT(BufferBytes(params.password), Each('\0'));
}

// The native tests of the dial decision stand on this double: it must keep the port's word on
// handles and wiping, or those tests would prove nothing.
TEST(FakeRemoteAccessTest, KeepsThePortsWordOnHandlesAndWiping) {
  fakes::FakeRemoteAccess dialler;
  dialler.saved["Office"] = {.user_name = "alice", .password = "pw", .password_retrieved = true};
  dialler.dial_outcomes["Broken"] = {.result = 691, .handle = 0x77};

  DialParameters office;
  office.entry_name = "Office";
  ASSERT_EQ(dialler.GetDialParameters(office), 0);
  ConnectionHandle office_link = 0;
  EXPECT_EQ(dialler.Dial(office, office_link), 0);
  EXPECT_NE(office_link, 0u);
  EXPECT_TRUE(office.user_name.empty() && office.password.empty());  // wiped by the dial
  EXPECT_EQ(dialler.dialled.at(0).user_name, "alice");
  EXPECT_TRUE(dialler.Connected(office_link));

  DialParameters broken;
  broken.entry_name = "Broken";
  ConnectionHandle broken_link = 0;
  EXPECT_EQ(dialler.Dial(broken, broken_link), 691);
  EXPECT_EQ(broken_link, 0x77u);  // a failed dial may leave a handle to hang up
  EXPECT_FALSE(dialler.Connected(broken_link));

  DialParameters unknown;
  unknown.entry_name = "Nowhere";
  EXPECT_EQ(dialler.GetDialParameters(unknown), kEntryNotFound);

  dialler.HangUp(office_link);
  EXPECT_TRUE(dialler.Connections().empty());
  EXPECT_THAT(dialler.calls,
              ElementsAre("GetDialParameters Office", "Dial Office",
                          "Connected " + std::to_string(office_link), "Dial Broken",
                          "Connected " + std::to_string(0x77), "GetDialParameters Nowhere",
                          "HangUp " + std::to_string(office_link), "Connections"));
}

}  // namespace
}  // namespace tempiko::sync
