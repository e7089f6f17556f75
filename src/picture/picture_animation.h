#pragma once

#include "model/divisor_node.h"
#include "model/progress.h"
#include "picture/draw_list.h"
#include "picture/layout_relaxation.h"

namespace dorvanix {

// The trees one frame of the picture shows, as the window's owner holds them.
struct Scene {
    DivisorNode* fiber = nullptr;            // the current fiber X
    DivisorNode* subdivisor = nullptr;       // the first selected sub-divisor Y; null when none
    DivisorNode* analysisDivisor = nullptr;  // may be null
    DivisorNode* analysisChains = nullptr;   // holder of the chain diagram; may be null
    int analysisChainCount = -1;             // -1 or 0 when there is no chain diagram
    int genus = 0;                           // genus of X, the length of every chain
    // Set by the relaxation once a joining curve with several links has collapsed; cleared by
    // every new analysis. Null: the animation keeps a flag of its own.
    int* relaxationStarted = nullptr;
};

// Y of a holder of selected sub-divisors: its first neighbour, null when there is none.
DivisorNode* firstSelected(const DivisorNode* holder);

// The phase machine of the picture: step 0 shows X, steps 1 to 49 fly Y onto X, step 50 shows Y
// alone, and from step 51 the chains of the chain diagram fly out of the centre while the
// analysis divisor settles. Nothing moves until a sub-divisor is selected.
class PictureAnimation {
  public:
    static constexpr int kLastStep = 100;
    static constexpr int kStepOfY = 50;
    static constexpr int kSettlingStep = 70;

    int animationStep() const { return animationStep_; }
    bool animationPaused() const { return animationPaused_; }

    // One 100 ms timer tick: relaxes the trees that move in the current phase and advances the
    // step, unless paused or no sub-divisor is selected.
    void tick(const Scene& scene, const RandomSource& random);
    // The draw list of one paint. Re-centres X while it is shown, and goes back to step 0 when a
    // step that shows Y finds none.
    DrawList paint(const Scene& scene, const View& view);
    // `ticks` timer ticks, each followed by a paint as the window repaints after every tick, and
    // the draw list of the last paint (with no tick, the frame as it stands). The paints matter:
    // each re-centres X while it is shown, which moves where the next tick places Y.
    // A cancelled `progress` stops it between ticks with Cancelled.
    DrawList frameAfterTicks(const Scene& scene, int ticks, const RandomSource& random,
                             const View& view, const Progress* progress = nullptr);
    // Starts over from X (the left mouse button, Select, "See picture >").
    void restart() { animationStep_ = 0; }
    // Freezes or resumes the layouts and the step (the right mouse button).
    void togglePause() { animationPaused_ = !animationPaused_; }

  private:
    int& relaxationFlag(const Scene& scene);
    void flyOntoFiber(const Scene& scene, const RandomSource& random);
    void flyChainsOut(const Scene& scene, const RandomSource& random);
    void settle(const Scene& scene, const RandomSource& random);
    void relaxAnalysisDivisor(const Scene& scene, const RandomSource& random);

    int animationStep_ = 0;
    bool animationPaused_ = false;
    int ownRelaxationStarted_ = 0;
};

}  // namespace dorvanix
