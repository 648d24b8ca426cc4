// Fixtures of the tests on the fake platform: the user answering a box, and
// an application object on a fake platform of each test's own.
#pragma once

#include "platform/fake/FakePlatform.h"
#include "ui/Application.h"
#include "ui/Forms.h"

#include <gtest/gtest.h>

#include <string_view>

namespace velmora {

// The user answers the shown box with this caption by clicking its button
// with that caption.
inline void answerBox(platform::fake::FakePlatform& platform, std::string_view caption,
                      std::string_view button) {
  platform::fake::FakeWindow* box = platform.findForm(caption);
  ASSERT_NE(box, nullptr) << "no box " << caption;
  platform::fake::FakeWindow* control = box->child(platform::fake::WindowKind::Button, button);
  ASSERT_NE(control, nullptr) << "no button " << button;
  EXPECT_TRUE(control->click());
}

class FakeApplicationTest : public ::testing::Test {
 protected:
  void answer(std::string_view caption, std::string_view button) {
    answerBox(platform, caption, button);
  }

  platform::fake::FakeSystem system;
  platform::fake::FakePlatform platform{system, "C:\\Tools\\Velmora2.exe"};
  ui::TApplication application{platform};
};

}  // namespace velmora
