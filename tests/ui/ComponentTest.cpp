// The component model: ownership, names, loading and design state, removal
// notices.
#include "ui/Component.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace velmora::ui {
namespace {

std::vector<std::string> journal;

class Probe : public TComponent {
 public:
  Probe(TComponent* owner, std::string name) : TComponent(owner) { SetName(name); }
  ~Probe() override { journal.push_back("destroyed " + Name()); }

  TComponent* watched = nullptr;
  std::vector<std::string> notices;

 protected:
  void Loaded() override {
    journal.push_back("loaded " + Name() + (Loading() ? " while loading" : ""));
    TComponent::Loaded();
  }
  void BeforeDestruction() override { journal.push_back("destroying " + Name()); }
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove) {
      notices.push_back(component->Name());
      if (component == watched) watched = nullptr;
    }
  }
};

class ComponentTest : public ::testing::Test {
 protected:
  void SetUp() override { journal.clear(); }
};

TEST_F(ComponentTest, AnOwnerFreesWhatItOwnsLastMadeFirstAfterItsOwnDestructionStep) {
  auto* form = new Probe(nullptr, "Form");
  new Probe(form, "Menu");
  auto* tray = new Probe(form, "Tray");
  new Probe(tray, "Icon");
  EXPECT_EQ(form->ComponentCount(), 2);
  EXPECT_EQ(form->FindComponent("Tray"), tray);
  EXPECT_EQ(form->FindComponent("Icon"), nullptr);
  TComponent::Free(form);
  EXPECT_EQ(journal, (std::vector<std::string>{
                         "destroying Form", "destroying Tray", "destroying Icon", "destroyed Icon",
                         "destroyed Tray", "destroying Menu", "destroyed Menu", "destroyed Form"}));
}

TEST_F(ComponentTest, NamesAreUniqueAmongOneOwnersComponents) {
  Probe form(nullptr, "Form");
  new Probe(&form, "Combo1");
  EXPECT_THROW(new Probe(&form, "Combo1"), std::invalid_argument);
  // The component that could not be named is gone again, owner included.
  EXPECT_EQ(form.ComponentCount(), 1);
  Probe other(nullptr, "Combo1");
  EXPECT_EQ(other.Name(), "Combo1");
}

TEST_F(ComponentTest, FreeingAComponentTellsItsSiblingsAndThoseThatAsked) {
  Probe form(nullptr, "Form");
  auto* menu = new Probe(&form, "PopupMenu1");
  auto* tray = new Probe(&form, "TaskTray1");
  tray->watched = menu;
  Probe stranger(nullptr, "Stranger");
  stranger.watched = menu;
  stranger.FreeNotification(menu);
  Probe ignorant(nullptr, "Ignorant");
  TComponent::Free(menu);
  EXPECT_EQ(tray->watched, nullptr);
  EXPECT_EQ(stranger.watched, nullptr);
  EXPECT_TRUE(ignorant.notices.empty());
  EXPECT_EQ(form.ComponentCount(), 1);
  // A notice that was withdrawn is not sent.
  auto* second = new Probe(&form, "PopupMenu2");
  stranger.FreeNotification(second);
  stranger.RemoveFreeNotification(second);
  stranger.notices.clear();
  TComponent::Free(second);
  EXPECT_TRUE(stranger.notices.empty());
}

TEST_F(ComponentTest, AComponentThatAskedForANoticeAndGoesFirstIsForgotten) {
  auto* menu = new Probe(nullptr, "Menu");
  {
    Probe watcher(nullptr, "Watcher");
    watcher.FreeNotification(menu);
  }
  // The watcher is gone; freeing the menu must not reach it.
  TComponent::Free(menu);
  EXPECT_EQ(journal.back(), "destroyed Menu");
}

TEST_F(ComponentTest, TheAfterLoadStepRunsOnceForEachDesignedComponentThenTheOwner) {
  Probe form(nullptr, "Form");
  form.BeginLoading();
  auto* tray = new Probe(&form, "TaskTray1");
  auto* menu = new Probe(&form, "PopupMenu1");
  EXPECT_TRUE(tray->Loading());
  EXPECT_TRUE(menu->Loading());
  form.EndLoading();
  EXPECT_EQ(journal, (std::vector<std::string>{"loaded TaskTray1 while loading",
                                               "loaded PopupMenu1 while loading",
                                               "loaded Form while loading"}));
  EXPECT_FALSE(form.Loading());
  EXPECT_FALSE(tray->Loading());
  // A component made afterwards is not loading.
  EXPECT_FALSE((new Probe(&form, "Later"))->Loading());
}

TEST_F(ComponentTest, DesignStateReachesOwnedComponentsAndLaterOnes) {
  Probe form(nullptr, "Form");
  auto* tray = new Probe(&form, "TaskTray1");
  form.SetDesigning(true);
  EXPECT_TRUE(tray->Designing());
  EXPECT_TRUE((new Probe(&form, "Menu"))->Designing());
  form.SetDesigning(false);
  EXPECT_FALSE(tray->Designing());
}

TEST_F(ComponentTest, MovingAComponentToAnotherOwner) {
  Probe first(nullptr, "First");
  Probe second(nullptr, "Second");
  auto* item = new Probe(&first, "Item");
  second.InsertComponent(item);
  EXPECT_EQ(item->Owner(), &second);
  EXPECT_EQ(first.ComponentCount(), 0);
  EXPECT_EQ(second.ComponentCount(), 1);
}

}  // namespace
}  // namespace velmora::ui
