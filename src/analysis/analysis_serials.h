#pragma once

namespace dorvanix {

// The serial numbers of the analysis divisor. A copy of a node of X keeps X's serial (a child
// still has the larger serial than its parent along a copied branch); the nodes the analysis
// makes up, and copies that must not read as children of their neighbours, get numbers of
// their own. Where a number is printed (the tool's tree of R, the module's node list) it tells
// which rule made the node.

// Every stub, and the joining curve J that replaces them.
inline constexpr int kStubSerial = 1000;
inline constexpr int kJoiningCurveSerial = kStubSerial;
// The i-th node inserted on a branch of type 'A' before its anchor: kStubSerial - i.
inline constexpr int kInsertedSerialTop = kStubSerial;
// Added to X's serial on the copy of a node of a 'B' branch beyond the end of Y.
inline constexpr int kBeyondYSerialOffset = 1000;
// Added to X's serial on the copy of a node of an 'A' branch where Y and its flag have ended.
inline constexpr int kPastYSerialOffset = 2000;
// A node of the tail walk of a 'C' branch: kTailSerialTop minus its multiplicity.
inline constexpr int kTailSerialTop = 2000;
// The genus chain of J: 3001, 3002, ... from J outward.
inline constexpr int kGenusChainFirstSerial = 3001;
// The holder of the chain diagram, below every node it holds.
inline constexpr int kChainHolderSerial = 0;

}  // namespace dorvanix
