// The virtual-key codes the component model and the windows act on.
#pragma once

namespace velmora::ui {

inline constexpr unsigned VkBack = 0x08, VkTab = 0x09, VkReturn = 0x0D, VkShift = 0x10,
                          VkControl = 0x11, VkMenu = 0x12, VkEscape = 0x1B, VkSpace = 0x20,
                          VkPrior = 0x21, VkNext = 0x22, VkEnd = 0x23, VkHome = 0x24, VkLeft = 0x25,
                          VkUp = 0x26, VkRight = 0x27, VkDown = 0x28, VkDelete = 0x2E, VkF4 = 0x73,
                          VkF10 = 0x79, VkF12 = 0x7B;

}  // namespace velmora::ui
