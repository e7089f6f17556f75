#include "files/census_records.h"

#include <climits>

#include "model/fiber_label.h"

namespace dorvanix {

namespace {

void writeField(std::ostream& out, const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        out << field;
        return;
    }
    out << '"';
    for (char ch : field) {
        if (ch == '"') out << '"';
        out << ch;
    }
    out << '"';
}

}  // namespace

CensusRow censusRow(const CensusFiber& fiber) {
    const CensusShape& shape = fiber.shape;
    CensusRow row;
    row.label = fiberLabel(shape.m, shape.r, shape.parts);
    row.genus = fiber.genus;
    row.m = shape.m;
    row.r = shape.r;
    row.b = static_cast<int>(shape.parts.size());
    row.branches = "[";
    for (std::size_t i = 0; i < shape.parts.size(); ++i) {
        if (i > 0) row.branches += ',';
        row.branches += std::to_string(shape.parts[i]);
    }
    row.branches += ']';
    row.simpleCrusts = tallyText(fiber.simpleCrusts);
    row.crustsInteger = fiber.simpleCrusts.clamped();
    row.crustsFitInteger = row.crustsInteger >= 0 && row.crustsInteger < LLONG_MAX;
    row.line = fiber.line;
    return row;
}

void writeCensusCsvHeader(std::ostream& out, bool analysis) {
    for (std::size_t i = 0; i < kCensusColumns.size(); ++i) {
        out << (i == 0 ? "" : ",") << kCensusColumns[i];
    }
    if (analysis) out << ",analysis_table";
    out << '\n';
}

void writeCensusCsvRow(std::ostream& out, const CensusRow& row, const std::string* analysisJson) {
    writeField(out, row.label);
    out << ',' << row.genus << ',' << row.m << ',' << row.r << ',' << row.b << ',';
    writeField(out, row.branches);
    out << ',' << row.simpleCrusts << ',';
    writeField(out, row.line);
    if (analysisJson != nullptr) {
        out << ',';
        writeField(out, *analysisJson);
    }
    out << '\n';
}

}  // namespace dorvanix
