#pragma once
#include <QIcon>
#include <QPixmap>

namespace glimra {

// The viewer's pictures, drawn by code at 32x32: one per toolbar command and
// the window icon.
enum class ToolIcon { kEdit, kTransfer, kRotateClockwise, kRotateCounterClockwise, kPrevious, kSlideShow, kNext, kApp };

QPixmap DrawToolIcon(ToolIcon which, int size = 32);
QIcon MakeToolIcon(ToolIcon which);

}  // namespace glimra
