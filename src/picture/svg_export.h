#pragma once

#include <string>

#include "picture/draw_list.h"

namespace dorvanix {

// The picture as an SVG document: a white 1024 x 768 background, every cubic segment as a path
// in its pen's colour and width, every label as 24-pixel text whose top-left corner lies at the
// label's point.
std::string svgDocument(const DrawList& list);

}  // namespace dorvanix
