#pragma once

#include <QIcon>

namespace dorvanix {

// Icon 128, the program's icon: a core curve with three branches, drawn from the bundled SVG.
QIcon appIcon();

}  // namespace dorvanix
