#pragma once
#include <QIcon>

namespace platform::linux_ {

// The magnifier's icon: a magnifying glass, at 16 x 16 and 32 x 32 in 24-bit colour.
QIcon windowIcon();

}  // namespace platform::linux_
