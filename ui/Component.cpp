// The component base: ownership, names, states and removal notices.
#include "ui/Component.h"

#include <algorithm>
#include <stdexcept>

namespace velmora::ui {

namespace {

void erase(std::vector<TComponent*>& list, TComponent* component) {
  list.erase(std::remove(list.begin(), list.end(), component), list.end());
}

}  // namespace

TComponent::TComponent(TComponent* owner) {
  if (owner != nullptr) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  // Free has done all of this already for components freed the usual way;
  // this covers objects that simply go out of scope.
  markDestroying();
  DestroyComponents();
  notifyRemoval();
}

void TComponent::Free(TComponent* component) {
  if (component == nullptr) return;
  component->markDestroying();
  component->BeforeDestruction();
  component->DestroyComponents();
  component->notifyRemoval();
  delete component;
}

void TComponent::markDestroying() {
  if (Destroying()) return;
  state_ |= csDestroying;
  for (TComponent* component : components_) component->markDestroying();
}

void TComponent::notifyRemoval() {
  if (removalNotified_) return;
  removalNotified_ = true;
  // Copies: a notified component may stop asking while we go through them.
  const std::vector<TComponent*> notifies = freeNotifies_;
  freeNotifies_.clear();
  for (TComponent* component : notifies) {
    erase(component->freeNotifies_, this);
    component->Notification(this, TOperation::opRemove);
  }
  if (owner_ != nullptr) owner_->RemoveComponent(this);
}

void TComponent::SetName(std::string_view name) {
  if (name == name_) return;
  if (!name.empty() && owner_ != nullptr && owner_->FindComponent(name) != nullptr) {
    throw std::invalid_argument("a component named " + std::string(name) + " already exists");
  }
  name_ = name;
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* component : components_) {
    if (component->name_ == name) return component;
  }
  return nullptr;
}

void TComponent::SetDesigning(bool designing) {
  if (designing) {
    state_ |= csDesigning;
  } else {
    state_ &= ~static_cast<unsigned>(csDesigning);
  }
  for (TComponent* component : components_) component->SetDesigning(designing);
}

void TComponent::BeginLoading() {
  state_ |= csLoading;
  for (TComponent* component : components_) component->BeginLoading();
}

void TComponent::EndLoading() {
  // Copy: an after-load step may create or free components.
  const std::vector<TComponent*> owned = components_;
  for (TComponent* component : owned) {
    if (std::find(components_.begin(), components_.end(), component) != components_.end() &&
        component->Loading()) {
      component->EndLoading();
    }
  }
  if (Loading()) Loaded();
}

void TComponent::Loaded() { state_ &= ~static_cast<unsigned>(csLoading); }

void TComponent::FreeNotification(TComponent* component) {
  if (component == nullptr || component == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end()) {
    freeNotifies_.push_back(component);
  }
  if (std::find(component->freeNotifies_.begin(), component->freeNotifies_.end(), this) ==
      component->freeNotifies_.end()) {
    component->freeNotifies_.push_back(this);
  }
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (component == nullptr) return;
  erase(freeNotifies_, component);
  erase(component->freeNotifies_, this);
}

void TComponent::InsertComponent(TComponent* component) {
  if (component->owner_ != nullptr) component->owner_->RemoveComponent(component);
  if (!component->name_.empty() && FindComponent(component->name_) != nullptr) {
    throw std::invalid_argument("a component named " + component->name_ + " already exists");
  }
  components_.push_back(component);
  component->owner_ = this;
  // A component made while its owner loads is part of the designed set.
  if (Loading()) component->BeginLoading();
  if (Designing()) component->SetDesigning(true);
  Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (component->owner_ != this) return;
  Notification(component, TOperation::opRemove);
  erase(components_, component);
  component->owner_ = nullptr;
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == TOperation::opRemove) RemoveFreeNotification(component);
  const std::vector<TComponent*> owned = components_;
  for (TComponent* child : owned) {
    if (child != component) child->Notification(component, operation);
  }
}

void TComponent::DestroyComponents() {
  // The last created goes first, so that later parts never outlive the
  // parts they were built on.
  while (!components_.empty()) {
    TComponent* component = components_.back();
    Free(component);
    erase(components_, component);
  }
}

}  // namespace velmora::ui
