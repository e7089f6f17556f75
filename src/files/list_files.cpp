#include "files/list_files.h"

#include <iomanip>
#include <sstream>

#include "census/subdivisor_listing.h"
#include "model/leading_number.h"

namespace dorvanix {

namespace {

void formatted(std::ostream& out, std::string_view text) {
    out << text << kFormattedLineEnd;
}

}  // namespace

std::string fiberListFileName(int m, int r, int b) {
    std::ostringstream name;
    name << std::setw(2) << std::setfill('0') << m << std::setw(0) << '-' << r << '-' << b
         << ".doc";
    return name.str();
}

std::string genusFiberListFileName(int genus) {
    return "genus-" + std::to_string(genus) + ".doc";
}

void writeFiberListLine(std::ostream& out, std::string_view line) {
    out << line << kCopiedLineEnd;
}

void writeCutShortMark(std::ostream& out, long long shown, long long total, std::string_view what) {
    std::string mark = "******List cut short";
    mark += total >= 0 ? ": " + std::to_string(shown) + " of " + std::to_string(total)
                       : " after " + std::to_string(shown);
    mark += " ";
    mark += what;
    formatted(out, mark + "******");
}

std::string subdivisorListFileName(std::string_view xNotation) {
    std::string name = "X" + std::to_string(leadingNumber(xNotation, 1));
    for (std::size_t at = xNotation.find('(', 1); at != std::string_view::npos;
         at = xNotation.find('(', at + 1)) {
        name += "-" + std::to_string(leadingNumber(xNotation, at + 1));
    }
    return name + ".doc";
}

SubdivisorListWriter::SubdivisorListWriter(std::ostream& out, std::string_view xNotation,
                                           const SubdivisorOptions& options)
    : out_(out) {
    formatted(out_, "******original divisor******");
    out_ << xNotation << kCopiedLineEnd;
    formatted(out_, "******List of subdivisors******");
    if (options.ellFilter > 0) {
        formatted(out_,
                  "******Subdivisors of ell= " + std::to_string(options.ellFilter) + "******");
    } else if (options.ellFilter < 0) {
        formatted(out_, "******Subdivisors of except ell=" +
                            std::to_string(-static_cast<long long>(options.ellFilter)) + "******");
    }
    if (options.exceptOnlyAB) {
        formatted(out_, "******Subdivisors which don't have type AB branches******");
    }
    if (options.onlyABC)
        formatted(out_, "******Subdivisors which consists of type ABC branches******");
}

void SubdivisorListWriter::line(std::string_view entry) {
    out_ << entry << kCopiedLineEnd;
    anyLine_ = true;
}

void writeSubdivisorListEnd(std::ostream& out, bool anyLine) {
    if (!anyLine) formatted(out, "NONE");
    formatted(out, "******End of Subdivisors******");
}

void SubdivisorListWriter::lines(std::string_view entries) {
    out_.write(entries.data(), static_cast<std::streamsize>(entries.size()));
    anyLine_ = anyLine_ || !entries.empty();
}

void SubdivisorListWriter::finish() {
    writeSubdivisorListEnd(out_, anyLine_);
}

bool writeSubdivisorList(std::ostream& out, const FiberData& x, const SubdivisorOptions& options,
                         Progress* progress) {
    Progress own;
    Progress& watched = progress != nullptr ? *progress : own;
    SubdivisorListWriter writer(out, fiberNotation(x), options);
    const bool done = writeSubdivisorText(
                          x, options, SubdivisorTextForm::Line, kCopiedLineEnd,
                          [&](std::string_view entries) {
                              writer.lines(entries);
                              // A file that stopped taking lines ends the listing.
                              return static_cast<bool>(out);
                          },
                          &watched) >= 0;
    if (!done) return false;
    writer.finish();
    return static_cast<bool>(out);
}

}  // namespace dorvanix
