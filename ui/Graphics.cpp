// The icon object.
#include "ui/Graphics.h"

#include "ui/Application.h"
#include "ui/Forms.h"

#include <string>

namespace velmora::ui {

void TIcon::LoadFromResource(int resourceId, platform::Size size) {
  if (Application == nullptr) throw std::logic_error("no application to load an icon with");
  auto image = Application->Platform().loadIcon(resourceId, size);
  if (image == nullptr) {
    throw std::runtime_error("icon resource " + std::to_string(resourceId) + " not found");
  }
  image_ = std::move(image);
  resourceId_ = resourceId;
  changed();
}

void TIcon::Assign(const TIcon* source) {
  if (source == this) return;
  if (source == nullptr || source->Empty()) {
    Clear();
    return;
  }
  if (Application == nullptr) throw std::logic_error("no application to copy an icon with");
  auto copy = Application->Platform().copyIcon(*source->image_);
  if (copy == nullptr) throw std::runtime_error("the icon could not be copied");
  image_ = std::move(copy);
  resourceId_ = source->resourceId_;
  changed();
}

void TIcon::Clear() {
  image_.reset();
  resourceId_ = 0;
  changed();
}

void TIcon::changed() {
  if (OnChange) OnChange(this);
}

}  // namespace velmora::ui
