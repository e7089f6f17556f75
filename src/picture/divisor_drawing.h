#pragma once

#include "model/divisor_node.h"
#include "picture/draw_list.h"

namespace dorvanix {

// Pen and label colour of a component of multiplicity m in a divisor drawing (m modulo 10).
Rgb divisorColour(int multiplicity);
// The pale counterpart used for the chains of the chain diagram.
Rgb chainColour(int multiplicity);

inline constexpr int kDivisorPenWidth = 3;
inline constexpr int kChainPenWidth = 2;

// Appends the drawing of `node` and its subtree: every component a closed curve through the tips
// of its arms, labelled with its multiplicity, or ringed and cut open when it belongs to the genus
// chain. Children of multiplicity 0 and everything behind them are left out. Null draws nothing.
void drawDivisor(DrawList& list, const DivisorNode* node, const View& view);

// Appends one chain of the chain diagram, from `node` on, as a tube with a hole in every node.
// `currentGenus` is the genus of X, the length of every chain; a chain of one node (genus 1) is
// closed into an oval. Null draws nothing.
void drawChain(DrawList& list, const DivisorNode* node, const View& view, int currentGenus);

}  // namespace dorvanix
