#pragma once

#include <mutex>
#include <optional>

#include "model/fiber_data.h"
#include "picture/picture_animation.h"
#include "picture/picture_session.h"

namespace dorvanix {

// The trees a picture window animates. The window's frame workers are the only ones that move
// and paint them, one worker at a time: a worker holds `layout` while it does.
class PictureContent {
  public:
    virtual ~PictureContent() = default;
    // The trees as a frame worker sees them; called with `layout` held.
    virtual Scene scene() = 0;

    std::mutex layout;
};

// X alone, built from its numbers by the first frame worker that needs it.
class FiberPicture : public PictureContent {
  public:
    explicit FiberPicture(FiberData x) : x_(std::move(x)) {}
    const FiberData& fiber() const { return x_; }
    Scene scene() override;

  private:
    FiberData x_;
    std::optional<PictureSession> session_;
};

}  // namespace dorvanix
