#pragma once

#include <string>
#include <string_view>

#include "analysis/subdivisor_choice.h"
#include "census/subdivisor_line.h"
#include "model/fiber_data.h"
#include "picture/draw_list.h"
#include "picture/library_random.h"
#include "picture/picture_animation.h"

namespace dorvanix {

// The animation settles after 100 ticks; more only keep it breathing, and the bound keeps a
// picture of a large fiber quick.
inline constexpr int kMaxPictureTicks = 1000;
// Throws InputError unless 0 <= ticks <= kMaxPictureTicks; `name` names the count in the message.
void checkTickCount(int ticks, std::string_view name = "ticks");

// The picture of a fiber X with at most one chosen sub-divisor Y, as the picture window holds it:
// the trees of a SubdivisorChoice, the animation's phase machine and the relaxation's flag.
class PictureSession {
  public:
    explicit PictureSession(const FiberData& x) : choice_(x) {}

    // Select with this one line: Y is chosen and analysed (SubdivisorChoice::choose), the
    // relaxation may collapse a joining curve again, and the animation starts over from X.
    void choose(std::string_view line);
    // The trees the picture shows now.
    Scene scene();
    // The frame after `ticks` more timer ticks, painted after every tick as the window paints.
    DrawList frameAfterTicks(int ticks, const RandomSource& random, const View& view);

    SubdivisorChoice& choice() { return choice_; }
    PictureAnimation& animation() { return animation_; }

  private:
    SubdivisorChoice choice_;
    PictureAnimation animation_;
    int relaxationStarted_ = 0;
};

// The SVG of the picture after choosing X, selecting Y when there is one and `ticks` timer ticks
// (checkTickCount), centred in the 1024 x 768 picture: the frame the window shows then. The
// relaxation draws from `random`.
std::string pictureSvg(const FiberData& x, const SubdivisorLine* y, int ticks,
                       const RandomSource& random);

}  // namespace dorvanix
