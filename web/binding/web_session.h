#pragma once

#include <memory>
#include <optional>
#include <string>

#include "census/subdivisor_line.h"
#include "model/fiber_data.h"
#include "picture/draw_list.h"
#include "picture/library_random.h"
#include "picture/picture_session.h"

namespace dorvanix::web {

// The chosen fiber X of the page with its first selected sub-divisor Y: the analysis, the
// picture animation and the files that need X and Y. The picture of a selection runs as
// `dorvanix-cli picture X Y --ticks T` does, from a fresh layout and the start of the random
// sequence, so that its frame after T ticks is the tool's.
class WebSession {
  public:
    // X as a fiber line or in divisor notation; throws InputError.
    explicit WebSession(const std::string& x);
    WebSession(const WebSession&) = delete;
    WebSession& operator=(const WebSession&) = delete;

    std::string notation() const { return notation_; }
    int genus() const { return genus_; }
    int branches() const { return x_.branchCount(); }

    // Selects Y by its line as listed and analyses it: the analysis record as JSON (the keys of
    // `dorvanix-cli analyze --json`). The picture starts over. Throws InputError.
    std::string select(const std::string& line);
    // No Y any more: the picture shows X.
    void clear();
    // The line of Y, empty when none is selected.
    std::string subdivisor() const { return y_ ? y_->line : std::string(); }

    // The picture: the frame shown now, one more 100 ms tick and its frame, and a start over.
    // A picture the core declines (pictureRefusal, with Y's chain diagram) is not built, and
    // its frames throw InputError with the reason.
    std::string frame();
    std::string tick();
    // The same frames as the core's draw list, for a canvas.
    DrawList frameDrawing();
    DrawList tickDrawing();
    void restart();
    int ticks() const { return ticks_; }

    // The files of X with Y.
    std::string quorbelFile() const;
    std::string quorbelFileName() const;
    // The dual graph of X, or with Y of the analysis divisor: "json", "dot" or "tikz".
    std::string graph(const std::string& format) const;
    std::string subdivisorListFileName() const;

  private:
    FiberData x_;
    std::string notation_;
    int genus_ = 0;
    std::string pictureRefusal_;  // why the picture of X (with Y) is declined; empty when drawn
    std::optional<SubdivisorLine> y_;
    std::unique_ptr<PictureSession> picture_;
    std::unique_ptr<LibraryRandom> random_;
    int ticks_ = 0;
};

}  // namespace dorvanix::web
