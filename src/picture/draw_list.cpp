#include "picture/draw_list.h"

#include <algorithm>

namespace dorvanix {

int DrawList::segmentCount() const {
    return static_cast<int>(std::count_if(items.begin(), items.end(), [](const DrawItem& item) {
        return std::holds_alternative<CubicSegment>(item);
    }));
}

int DrawList::labelCount() const {
    return static_cast<int>(items.size()) - segmentCount();
}

}  // namespace dorvanix
