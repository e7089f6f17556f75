#include "app/picture_content.h"

namespace dorvanix {

Scene FiberPicture::scene() {
    if (!session_) session_.emplace(x_);
    return session_->scene();
}

}  // namespace dorvanix
