#pragma once
// The discovery dialogs' pictures: the strip of 16 x 16 row icons (bitmap
// 302, mask colour RGB (0, 128, 128)) and the six 31 x 31 frames of the
// discovery animation (bitmap 139, mask colour RGB (255, 0, 255)). The
// bitmaps are drawn by the program and the mask colour made transparent,
// as an image list does with the original resources.

#include <QIcon>
#include <QPixmap>

namespace qx {

inline constexpr int kRowIconSize = 16;
inline constexpr int kRowIconCount = 4;  // rows use 2 and 3
inline constexpr int kAnimationFrameSize = 31;
inline constexpr int kAnimationFrameCount = 6;  // frame 1 idle, 2 to 6 while discovering

// Row icon by index (0 to 3); a null icon outside.
QIcon RowIcon(int index);
// Animation frame by number (1 to 6); frame 1 outside.
QPixmap AnimationFrame(int frame);

}  // namespace qx
