// Images of the component model: an icon that tells its owner when its
// picture changes.
#pragma once

#include "platform/Platform.h"

#include <functional>
#include <memory>

namespace velmora::ui {

class TIcon {
 public:
  TIcon() = default;
  TIcon(const TIcon&) = delete;
  TIcon& operator=(const TIcon&) = delete;

  bool Empty() const { return image_ == nullptr; }
  // The system's handle of the picture; 0 while there is none.
  platform::IconHandle Handle() const { return image_ != nullptr ? image_->handle() : 0; }
  platform::Size Size() const { return image_ != nullptr ? image_->size() : platform::Size{}; }
  // The icon resource the picture was read from, copies included; 0 when
  // there is no picture.
  int ResourceId() const { return resourceId_; }

  // Reads the program's icon resource at the nearest size it has; throws
  // when the resource is missing, and then the picture stays as it was.
  void LoadFromResource(int resourceId, platform::Size size);
  // Takes a copy of another icon's picture; null or an empty icon clears.
  void Assign(const TIcon* source);
  void Clear();

  // Runs after every change of the picture, clearing included.
  std::function<void(TIcon* Sender)> OnChange;

 private:
  void changed();

  std::unique_ptr<platform::IconImage> image_;
  int resourceId_ = 0;
};

}  // namespace velmora::ui
