#pragma once

#include <emscripten/val.h>

#include <string>

namespace dorvanix::web {

// The fiber list and the sub-divisor list cross to the page as numbers, not as text: a fiber as
// the record m, r, b, a1 ... ab, genus, and its simple crust count in two 32-bit halves (with the
// digits beside it when the count reaches 2^63 - 1); a sub-divisor as k, y1 ... yb. The page keeps
// them, and the lines are written here only when they are shown or saved.

// Reads the main window's fields (texts and ticks): m, r and b as the tool reads them, each
// refused with the core's message when it is empty or below its least value; an empty option
// field is its least value, and "genus =" with m left empty asks for the whole genus. Answers the
// numbers, or the field at fault and the core's message.
emscripten::val readFiberInput(emscripten::val fields);

// Lists the fibers of readFiberInput's answer (or the census of its genus), handing the page
// chunks of records as they are found: onChunk(Int32Array records, Array bigCounts, fraction,
// found). Answers true when the list is whole.
bool listFibers(emscripten::val input, emscripten::val onChunk);

// At most this many lines in the fiber list of readFiberInput's answer, found without counting
// crusts (0 for a whole genus); {limit: n} in the answer then lists only the first n.
double fiberListBound(emscripten::val input);

// The fiber lines of records (bigCounts as handed out with them).
emscripten::val fiberLines(emscripten::val records, emscripten::val bigCounts);

// The fiber list file of the records shown, marked as cut short when it is not whole; or in
// pieces, for a file larger than one string: the lines of some records, then the file's end
// after `shown` lines.
std::string fiberListFile(emscripten::val records, emscripten::val bigCounts, bool whole);
std::string fiberListFilePart(emscripten::val records, emscripten::val bigCounts);
std::string fiberListFileEnd(double shown, bool whole);

// Lists the sub-divisors of X under the options {ell, exceptOnlyAB, onlyABC}:
// onChunk(Uint16Array rows, fraction, found). Answers true when the list is whole.
bool listSubdivisorRows(const std::string& x, emscripten::val options, emscripten::val onChunk);

// The sub-divisor lines of rows of X.
emscripten::val subdivisorLines(const std::string& x, emscripten::val rows);

// The number of lines the listing of X under the options gives, in decimal.
std::string subdivisorCount(const std::string& x, emscripten::val options);

// The sub-divisor list file of the rows shown; `total` is the whole list's length, or "" when
// the list is whole.
std::string subdivisorListFile(const std::string& x, emscripten::val options, emscripten::val rows,
                               bool whole, const std::string& total);
// The same file in pieces: its head, the lines of some rows, and its end after `shown` lines.
std::string subdivisorListFileHead(const std::string& x, emscripten::val options);
std::string subdivisorListFilePart(const std::string& x, emscripten::val rows);
std::string subdivisorListFileEnd(double shown, bool whole, const std::string& total);
// The whole file listed afresh, as the tool writes it, handed over in pieces of a few megabytes:
// onPiece(text, linesSoFar). Lines made by the listing itself, not rebuilt one by one from rows,
// which is many times faster for a list of millions. Answers true when the list is whole.
bool writeSubdivisorListFile(const std::string& x, emscripten::val options,
                             emscripten::val onPiece);

}  // namespace dorvanix::web
