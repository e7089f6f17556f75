#pragma once

#include <array>
#include <ostream>
#include <string>

#include "census/genus_census.h"

namespace dorvanix {

// One fiber of the census as a row of the tables other programs read: the columns of the CSV
// file, of the SQLite table `fibers` (schema/census.sql) and of the module's census_frame().
struct CensusRow {
    std::string label;
    int genus = 0;
    int m = 0;
    int r = 0;
    int b = 0;
    std::string branches;           // the first multiplicities largest first, as JSON: "[4,4,2]"
    std::string simpleCrusts;       // the count in decimal, exact at any size
    bool crustsFitInteger = false;  // below 2^63, and then also held in:
    long long crustsInteger = 0;
    std::string line;
};

inline constexpr std::array<const char*, 8> kCensusColumns = {
    "label", "genus", "m", "r", "b", "branches", "simple_crusts", "line"};

CensusRow censusRow(const CensusFiber& fiber);

// CSV as RFC 4180 quotes it: a header of the column names (and analysis_table, the fiber's
// (N, d, h) table as JSON, when `analysis` is set), then one fiber a row; a field with a comma or
// a quote is quoted, its quotes doubled. Lines end with LF, as the tool's other output does.
void writeCensusCsvHeader(std::ostream& out, bool analysis);
void writeCensusCsvRow(std::ostream& out, const CensusRow& row,
                       const std::string* analysisJson = nullptr);

}  // namespace dorvanix
