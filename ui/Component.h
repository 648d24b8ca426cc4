// The component base of every window, control and non-visual part: owner and
// owned components, names, the loading and design states, the after-load step
// and removal notices.
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::ui {

enum ComponentStateBits : unsigned {
  csLoading = 1,     // the designed properties are being set
  csDesigning = 2,   // edited in a designer, not run
  csDestroying = 4,  // being destroyed
};

enum class TOperation { opInsert, opRemove };

class TComponent {
 public:
  explicit TComponent(TComponent* owner);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  // Destroys a component: its destruction steps run while the whole object
  // still exists, then the components it owns go, then the object.
  static void Free(TComponent* component);

  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  // Names are unique among the components of one owner; throws otherwise.
  void SetName(std::string_view name);

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const {
    return components_.at(static_cast<std::size_t>(index));
  }
  TComponent* FindComponent(std::string_view name) const;

  unsigned ComponentState() const { return state_; }
  bool Loading() const { return (state_ & csLoading) != 0; }
  bool Designing() const { return (state_ & csDesigning) != 0; }
  bool Destroying() const { return (state_ & csDestroying) != 0; }
  // Design state passes on to the owned components, as in a designer.
  void SetDesigning(bool designing);

  // Marks this component and those it owns as loading; EndLoading runs the
  // after-load step of each owned component in creation order, then its own.
  void BeginLoading();
  void EndLoading();

  // Asks for a removal notice when `component` is destroyed (it need not
  // share our owner; components of one owner are told anyway).
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  // Moves a component under this owner.
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);

 protected:
  // The after-load step: the designed properties are all set.
  virtual void Loaded();
  // A component was added (opInsert) or is being destroyed (opRemove). The
  // base passes the notice on to every owned component.
  virtual void Notification(TComponent* component, TOperation operation);
  // Runs first when the component is freed, with the object whole.
  virtual void BeforeDestruction() {}
  void DestroyComponents();

 private:
  void markDestroying();
  void notifyRemoval();

  TComponent* owner_ = nullptr;
  std::string name_;
  unsigned state_ = 0;
  bool removalNotified_ = false;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
};

// An operation a component refuses in its present state; the application's
// error box shows the message.
class EInvalidOperation : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Frees a component when it goes out of scope.
struct FreeComponent {
  void operator()(TComponent* component) const { TComponent::Free(component); }
};
template <typename T>
using Owned = std::unique_ptr<T, FreeComponent>;

// Handlers receive the component that sent the event.
using TNotifyEvent = std::function<void(TComponent* Sender)>;

}  // namespace velmora::ui
