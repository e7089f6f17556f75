#include "files/list_files.h"

#include <iomanip>
#include <sstream>

namespace dorvanix {

namespace {

void formatted(std::ostream& out, std::string_view text) {
    out << text << kFormattedLineEnd;
}

// The number after position `at` with atoi semantics (blanks and a sign allowed).
long long numberAt(std::string_view text, std::size_t at) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
    long long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        if (value < 1'000'000'000'000LL) value = value * 10 + (text[at] - '0');
    }
    return negative ? -value : value;
}

}  // namespace

std::string fiberListFileName(int m, int r, int b) {
    std::ostringstream name;
    name << std::setw(2) << std::setfill('0') << m << std::setw(0) << '-' << r << '-' << b
         << ".doc";
    return name.str();
}

void writeFiberListLine(std::ostream& out, std::string_view line) {
    out << line << kCopiedLineEnd;
}

std::string subdivisorListFileName(std::string_view xNotation) {
    std::string name = "X" + std::to_string(numberAt(xNotation, 1));
    for (std::size_t at = xNotation.find('(', 1); at != std::string_view::npos;
         at = xNotation.find('(', at + 1)) {
        name += "-" + std::to_string(numberAt(xNotation, at + 1));
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

void SubdivisorListWriter::finish() {
    if (!anyLine_) formatted(out_, "NONE");
    formatted(out_, "******End of Subdivisors******");
}

}  // namespace dorvanix
