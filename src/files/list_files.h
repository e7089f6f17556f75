#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "census/subdivisor_options.h"
#include "model/fiber_data.h"
#include "model/progress.h"

namespace dorvanix {

// The two list files. Lines the program formats end in CR LF; lines copied from a list end in
// LF CR, as the lists have always been saved.
inline constexpr std::string_view kFormattedLineEnd = "\r\n";
inline constexpr std::string_view kCopiedLineEnd = "\n\r";

// "%02d-%d-%d.doc": 03-2-3.doc for m = 3, r = 2, b = 3.
std::string fiberListFileName(int m, int r, int b);

// "genus-2.doc": the fiber list of a whole genus.
std::string genusFiberListFileName(int genus);

// One entry of the fiber list file.
void writeFiberListLine(std::ostream& out, std::string_view line);

// The last line of a list file whose list is not whole, in place of its usual end:
// "******List cut short: 3 of 14 subdivisors******" when the whole list is known to have `total`
// lines, "******List cut short after 3 fibers******" when it is not (total < 0).
void writeCutShortMark(std::ostream& out, long long shown, long long total, std::string_view what);

// Default name of the sub-divisor list file from X in divisor notation: "X" and the core
// multiplicity, then "-" and the number after each further "(", then ".doc" (X3-2-2-2.doc).
std::string subdivisorListFileName(std::string_view xNotation);

// Writes the sub-divisor list file: the header with X and the options, the entries as they come,
// and "NONE" when there was none.
// The last lines of a whole sub-divisor list file: "NONE" when it has no entry, then its end.
void writeSubdivisorListEnd(std::ostream& out, bool anyLine);

class SubdivisorListWriter {
  public:
    SubdivisorListWriter(std::ostream& out, std::string_view xNotation,
                         const SubdivisorOptions& options);
    void line(std::string_view entry);
    // Whole entries, each already followed by kCopiedLineEnd.
    void lines(std::string_view entries);
    void finish();

  private:
    std::ostream& out_;
    bool anyLine_ = false;
};

// Lists the sub-divisors of X under the options straight into a whole sub-divisor list file on
// `out`. False when the listing stopped early, because `progress` was cancelled or `out` stopped
// taking lines: the file is then incomplete and must not be kept.
bool writeSubdivisorList(std::ostream& out, const FiberData& x, const SubdivisorOptions& options,
                         Progress* progress = nullptr);

}  // namespace dorvanix
