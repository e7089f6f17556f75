#include "app/subdivisor_lines.h"

#include <numeric>

#include "census/subdivisor_line.h"

namespace dorvanix {

SubdivisorLines::SubdivisorLines(FiberData x)
    : x_(std::move(x)), stride_(static_cast<std::size_t>(x_.branchCount()) + 1) {}

void SubdivisorLines::append(const Subdivisor& y) {
    packed_.push_back(static_cast<std::uint16_t>(y.k));
    for (const int value : y.ys) packed_.push_back(static_cast<std::uint16_t>(value));
}

double SubdivisorLines::bytesFor(long long lines, int branches) {
    return static_cast<double>(lines) * (branches + 1) * sizeof(std::uint16_t);
}

std::string SubdivisorLines::line(std::size_t row) const {
    const std::uint16_t* at = packed_.data() + row * stride_;
    const int k = at[0];
    std::vector<int> ys(at + 1, at + stride_);
    long long ell = k;
    for (const int y : ys) ell = std::gcd(ell, static_cast<long long>(y));
    return subdivisorLineText(x_, k, ys, ell, subdivisorTypes(x_, k, ys, ell));
}

void SubdivisorLines::write(std::ostream& out, std::string_view end) const {
    for (std::size_t row = 0; row < size() && out; ++row) out << line(row) << end;
}

void SubdivisorLineModel::setLines(SubdivisorLines lines) {
    beginResetModel();
    lines_ = std::move(lines);
    endResetModel();
}

int SubdivisorLineModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant SubdivisorLineModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) return {};
    return QString::fromStdString(lines_.line(static_cast<std::size_t>(index.row())));
}

}  // namespace dorvanix
