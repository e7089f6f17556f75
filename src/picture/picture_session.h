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
// Past this many curves of X, or nodes of the chain diagram, a picture is declined: each curve
// holds about 1.3 KB while the picture animates and writes 300 bytes of SVG, and a 1024 x 768
// frame cannot show that many.
inline constexpr long long kMaxPictureCurves = 100'000;
// Why a picture of X with a chain diagram of `chainNodes` nodes (0 when there is none) is
// declined, in one line and in the same words on every face ("the picture would draw a chain
// diagram of 107,912 curves, more than the 100,000 a picture draws"); empty when it may be drawn.
// Every face asks before it builds a frame.
std::string pictureRefusal(const FiberData& x, long long chainNodes = 0);
// The same for X with the analysis that Select has built for its first sub-divisor.
std::string pictureRefusal(const FiberData& x, const AnalysisResult& analysis);
// Throws InputError with pictureRefusal's line unless it is empty.
void checkPictureSize(const FiberData& x, long long chainNodes = 0);

// Throws InputError unless 0 <= ticks <= kMaxPictureTicks; `name` names the count in the message.
void checkTickCount(int ticks, std::string_view name = "ticks");

// The picture of a fiber X with at most one chosen sub-divisor Y, as the picture window holds it:
// the trees of a SubdivisorChoice, the animation's phase machine and the relaxation's flag.
class PictureSession {
  public:
    explicit PictureSession(const FiberData& x) : choice_(x) {}

    // Select with this one line: Y is chosen and analysed (SubdivisorChoice::choose), the
    // relaxation may collapse a joining curve again, and the animation starts over from X.
    void choose(std::string_view line, const Progress* progress = nullptr);
    // The trees the picture shows now.
    Scene scene();
    // The frame after `ticks` more timer ticks, painted after every tick as the window paints.
    DrawList frameAfterTicks(int ticks, const RandomSource& random, const View& view,
                             const Progress* progress = nullptr);

    SubdivisorChoice& choice() { return choice_; }
    PictureAnimation& animation() { return animation_; }

  private:
    SubdivisorChoice choice_;
    PictureAnimation animation_;
    int relaxationStarted_ = 0;
};

// The SVG of the picture after choosing X, selecting Y when there is one and `ticks` timer ticks
// (checkTickCount), centred in the 1024 x 768 picture: the frame the window shows then. The
// relaxation draws from `random`. A picture too large (checkPictureSize, with Y's chain diagram)
// is declined before anything is built. A cancelled `progress` stops it with Cancelled.
std::string pictureSvg(const FiberData& x, const SubdivisorLine* y, int ticks,
                       const RandomSource& random, const Progress* progress = nullptr);

}  // namespace dorvanix
