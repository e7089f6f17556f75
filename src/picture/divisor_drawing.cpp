#include "picture/divisor_drawing.h"
#include "model/pi.h"
#include "model/tree_walk.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace dorvanix {

namespace {

constexpr std::array<Rgb, 10> kDivisorColours{{{160, 160, 160},
                                               {0, 0, 0},
                                               {255, 0, 0},
                                               {255, 160, 0},
                                               {255, 255, 0},
                                               {0, 192, 0},
                                               {0, 64, 255},
                                               {208, 0, 208},
                                               {160, 80, 0},
                                               {96, 96, 96}}};

constexpr std::array<Rgb, 10> kChainColours{{{192, 192, 192},
                                             {128, 128, 128},
                                             {255, 128, 128},
                                             {255, 192, 128},
                                             {255, 255, 128},
                                             {128, 216, 128},
                                             {128, 192, 255},
                                             {232, 128, 232},
                                             {208, 168, 128},
                                             {176, 176, 176}}};

// Half width of a chain tube, before scaling.
constexpr double kTubeHalfWidth = 20.0;

std::size_t colourIndex(int multiplicity) {
    return static_cast<std::size_t>((multiplicity % 10 + 10) % 10);
}

struct Vec {
    double x = 0.0;
    double y = 0.0;
};

Vec operator+(Vec a, Vec b) {
    return {a.x + b.x, a.y + b.y};
}
Vec operator-(Vec a, Vec b) {
    return {a.x - b.x, a.y - b.y};
}
Vec operator-(Vec a) {
    return {-a.x, -a.y};
}
Vec operator*(double s, Vec a) {
    return {s * a.x, s * a.y};
}

Vec direction(double angle) {
    return {std::cos(angle), std::sin(angle)};
}
// The direction turned a quarter turn (window y grows downward).
Vec across(double angle) {
    return {-std::sin(angle), std::cos(angle)};
}

PixelPoint toPixel(Vec p) {
    return {static_cast<int>(std::floor(p.x)), static_cast<int>(std::floor(p.y))};
}

// The frame of one arm: its direction u, the quarter-turned v, and the scaled lengths.
struct ArmFrame {
    Vec u;
    Vec v;
    double length = 0.0;
    double handle = 0.0;
};

// Number of arms whose arrays are all present (a node of an empty branch has none).
int usableArms(const DivisorNode& node) {
    const std::size_t sizes =
        std::min({node.armAngle.size(), node.armLength.size(), node.handleLength.size()});
    return std::max(0, std::min(node.degree, static_cast<int>(sizes)));
}

ArmFrame armFrame(const DivisorNode& node, int k, const View& view) {
    const double angle = node.armAngle[k];
    return {direction(angle), across(angle), node.armLength[k] * view.scale,
            node.handleLength[k] * view.scale};
}

// Draws with one pen: the colour and width of the node being drawn.
class Pen {
  public:
    Pen(DrawList& list, Rgb colour, int width) : list_(list), colour_(colour), width_(width) {}

    void curve(Vec p0, Vec p1, Vec p2, Vec p3) const {
        list_.add(
            CubicSegment{{toPixel(p0), toPixel(p1), toPixel(p2), toPixel(p3)}, colour_, width_});
    }

  private:
    DrawList& list_;
    Rgb colour_;
    int width_;
};

Vec centreOf(const DivisorNode& node, const View& view) {
    return {node.x + view.originX, node.y + view.originY};
}

// ---- drawDivisor ----

// The two points with which a curve leaves or reaches an arm: the end point and its control.
struct ArmEnd {
    Vec end;
    Vec control;
};

bool armIsOpen(const DivisorNode& node, int k) {
    const DivisorNode* next = node.neighbor(k);
    return node.marked != 0 || (next != nullptr && next->marked != 0);
}

// The centre arm k starts from: an extra point of a joining curve, or the node's centre.
Vec armCentre(const DivisorNode& node, int k, const View& view) {
    if (node.pointCount < 2 || static_cast<std::size_t>(k) >= node.pointX.size() ||
        static_cast<std::size_t>(k) >= node.pointY.size()) {
        return centreOf(node, view);
    }
    return {node.pointX[k] + view.originX, node.pointY[k] + view.originY};
}

// Closed: through the tip, heading across the arm. Open: beside the tip, heading back inward.
ArmEnd leaving(Vec centre, const ArmFrame& arm, bool open) {
    if (open) {
        return {centre + arm.length * arm.u + arm.length * arm.v,
                centre + 0.5 * arm.length * arm.u + arm.length * arm.v};
    }
    const Vec tip = centre + arm.length * arm.u;
    return {tip, tip + arm.handle * arm.v};
}

ArmEnd arriving(Vec centre, const ArmFrame& arm, bool open) {
    if (open) {
        return {centre + arm.length * arm.u - arm.length * arm.v,
                centre + 0.5 * arm.length * arm.u - arm.length * arm.v};
    }
    const Vec tip = centre + arm.length * arm.u;
    return {tip, tip - arm.handle * arm.v};
}

// A component meeting two or more neighbours: a loop through its arm tips in arm order.
void drawLoop(const Pen& pen, const DivisorNode& node, int arms, const View& view) {
    for (int k = 0; k < arms; ++k) {
        const int j = (k + 1) % arms;
        const ArmEnd from =
            leaving(armCentre(node, k, view), armFrame(node, k, view), armIsOpen(node, k));
        const ArmEnd to =
            arriving(armCentre(node, j, view), armFrame(node, j, view), armIsOpen(node, j));
        pen.curve(from.end, from.control, to.control, to.end);
    }
}

// An end component: an oval through its tip and the opposite point, or a U open to its neighbour.
void drawEnd(const Pen& pen, const DivisorNode& node, const View& view) {
    const Vec q = centreOf(node, view);
    const ArmFrame arm = armFrame(node, 0, view);
    const bool open = armIsOpen(node, 0);
    const Vec back = q - arm.length * arm.u;
    const ArmEnd first = leaving(q, arm, open);
    pen.curve(first.end, first.control, back + arm.handle * arm.v, back);
    // The mirror image of the first curve starts where a curve arriving at arm 0 would end.
    const ArmEnd mirror = arriving(q, arm, open);
    pen.curve(mirror.end, mirror.control, back - arm.handle * arm.v, back);
}

void drawRing(const Pen& pen, const DivisorNode& node, const View& view) {
    const Vec q = centreOf(node, view);
    const ArmFrame arm = armFrame(node, 0, view);
    const double r = 0.5 * arm.length;
    pen.curve(q + r * arm.u, q + r * (arm.u - arm.v), q + r * (-arm.u - arm.v), q - r * arm.u);
    pen.curve(q + r * arm.u, q + r * (arm.u + arm.v), q + r * (-arm.u + arm.v), q - r * arm.u);
}

void drawLabel(DrawList& list, const DivisorNode& node, const View& view) {
    std::string text = std::to_string(node.multiplicity);
    const double shift = text.size() == 1 ? 6.0 : 12.0;
    const PixelPoint topLeft{static_cast<int>(std::floor(node.movingX + view.originX - shift)),
                             static_cast<int>(std::floor(node.movingY + view.originY - 12.0))};
    list.add(TextLabel{std::move(text), topLeft, divisorColour(node.multiplicity)});
}

void drawComponent(DrawList& list, const DivisorNode& node, const View& view) {
    const int arms = usableArms(node);
    if (arms < 1 || !(node.armLength[0] > 0.0)) return;
    const Pen pen(list, divisorColour(node.multiplicity), kDivisorPenWidth);
    if (arms >= 2) {
        drawLoop(pen, node, arms, view);
    } else {
        drawEnd(pen, node, view);
    }
    if (node.marked == 0) {
        drawLabel(list, node, view);
    } else {
        drawRing(pen, node, view);
    }
}

bool isDrawnChild(const DivisorNode& node, const DivisorNode* next) {
    return next != nullptr && next->multiplicity != 0 && next->serial > node.serial;
}

int degreeOf(const DivisorNode& node) {
    return node.degree;
}

// Draws `root` and then, depth first in neighbour order, every drawn child.
template <typename Draw>
void drawTree(const DivisorNode& root, Draw draw) {
    draw(root);
    walkDepthFirst(root, degreeOf, [&draw](const DivisorNode& node, int k) {
        const DivisorNode* next = node.neighbor(k);
        if (!isDrawnChild(node, next)) return static_cast<const DivisorNode*>(nullptr);
        draw(*next);
        return next;
    });
}

// ---- drawChain ----

void drawChainEnd(const Pen& pen, Vec q, const ArmFrame& a, double w, int currentGenus) {
    const Vec side = 1.1 * a.length * a.v;
    pen.curve(q + side, q + side - 1.2 * a.handle * a.u, q - side - 1.2 * a.handle * a.u, q - side);
    if (currentGenus != 1) {
        const Vec mid = q + 0.5 * a.length * a.u;
        const Vec tip = q + a.length * a.u;
        pen.curve(q + side, q + side + 0.5 * a.handle * a.u, mid + w * a.v, tip + w * a.v);
        pen.curve(q - side, q - side + 0.5 * a.handle * a.u, mid - w * a.v, tip - w * a.v);
    } else {
        pen.curve(q + side, q + side + 1.2 * a.handle * a.u, q - side + 1.2 * a.handle * a.u,
                  q - side);
    }
}

// A wall from the mouth of one arm around the bend to the mouth of the other.
void drawBendWall(const Pen& pen, Vec q, const ArmFrame& from, Vec bendU, Vec bendV,
                  const ArmFrame& to, double w) {
    const Vec bend = q + 1.1 * from.length * bendU;
    pen.curve(q + from.length * from.u + w * from.v, q + 0.5 * from.length * from.u + w * from.v,
              bend - 0.5 * from.handle * bendV, bend);
    pen.curve(bend, bend + 0.5 * from.handle * bendV, q + 0.5 * to.length * to.u - w * to.v,
              q + to.length * to.u - w * to.v);
}

void drawChainMiddle(const Pen& pen, const DivisorNode& node, Vec q, const View& view, double w) {
    const ArmFrame a0 = armFrame(node, 0, view);
    const ArmFrame a1 = armFrame(node, 1, view);
    const double middle = (node.armAngle[0] + node.armAngle[1]) / 2.0;
    drawBendWall(pen, q, a0, direction(middle), across(middle), a1, w);
    drawBendWall(pen, q, a1, direction(middle + kPiCut10), across(middle + kPiCut10), a0, w);
}

void drawChainJunction(const Pen& pen, const DivisorNode& node, int arms, Vec q, const View& view,
                       double w) {
    for (int k = 0; k < arms; ++k) {
        const ArmFrame from = armFrame(node, k, view);
        const ArmFrame to = armFrame(node, (k + 1) % arms, view);
        pen.curve(q + from.length * from.u + w * from.v,
                  q + 0.5 * from.length * from.u + w * from.v,
                  q + 0.5 * to.length * to.u - w * to.v, q + to.length * to.u - w * to.v);
    }
}

// The hole: pinched at the centre on the first gcd nodes of a chain, a small oval elsewhere.
void drawHole(const Pen& pen, const DivisorNode& node, Vec q, const ArmFrame& a) {
    const Vec pull = 0.6 * a.handle * a.u;
    if (node.selfIntersection != 0) {
        const Vec start = q + 1.1 * a.length * a.v;
        pen.curve(start, start - pull, q - pull, q);
        pen.curve(start, start + pull, q + pull, q);
    } else {
        const Vec start = q + 0.5 * a.length * a.v;
        const Vec end = q - 0.5 * a.length * a.v;
        pen.curve(start, start - pull, end - pull, end);
        pen.curve(start, start + pull, end + pull, end);
    }
}

void drawChainNode(DrawList& list, const DivisorNode& node, const View& view, int currentGenus) {
    const int arms = usableArms(node);
    if (arms < 1) return;
    const Pen pen(list, chainColour(node.multiplicity), kChainPenWidth);
    const Vec q = centreOf(node, view);
    const double w = kTubeHalfWidth * view.scale;
    if (arms == 1) {
        drawChainEnd(pen, q, armFrame(node, 0, view), w, currentGenus);
    } else if (arms == 2) {
        drawChainMiddle(pen, node, q, view, w);
    } else {
        drawChainJunction(pen, node, arms, q, view, w);
    }
    drawHole(pen, node, q, armFrame(node, 0, view));
}

}  // namespace

Rgb divisorColour(int multiplicity) {
    return kDivisorColours[colourIndex(multiplicity)];
}

Rgb chainColour(int multiplicity) {
    return kChainColours[colourIndex(multiplicity)];
}

void drawDivisor(DrawList& list, const DivisorNode* node, const View& view) {
    if (node == nullptr) return;
    drawTree(*node, [&](const DivisorNode& next) { drawComponent(list, next, view); });
}

void drawChain(DrawList& list, const DivisorNode* node, const View& view, int currentGenus) {
    if (node == nullptr) return;
    drawTree(*node,
             [&](const DivisorNode& next) { drawChainNode(list, next, view, currentGenus); });
}

}  // namespace dorvanix
