// The pictures of the window: the view's status pictures and the images of
// the project tree and the Add New Command list.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace kv::ui {

enum class StatusPicture { None, Busy, Success, Failure };

QPixmap LoadStatusBitmap(StatusPicture picture);
// One 16-pixel image per item kind, by the image index the items use.
QIcon ItemImage(int index);

}  // namespace kv::ui
