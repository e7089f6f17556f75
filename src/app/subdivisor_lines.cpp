#include "app/subdivisor_lines.h"

#include <numeric>

#include "census/subdivisor_line.h"

namespace dorvanix {

SubdivisorLines::SubdivisorLines(FiberData x)
    : x_(std::move(x)), stride_(static_cast<std::size_t>(x_.branchCount()) + 1) {}

void SubdivisorLines::append(const Subdivisor& y) {
    if (y.line.size() > widestLength_) {
        widestLength_ = y.line.size();
        widestRow_ = static_cast<long long>(size());
    }
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
    lines_ = std::make_shared<const SubdivisorLines>(std::move(lines));
    endResetModel();
}

int SubdivisorLineModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lines_->size());
}

QVariant SubdivisorLineModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) return {};
    return QString::fromStdString(lines_->line(static_cast<std::size_t>(index.row())));
}

QSize WidestLineDelegate::sizeHint(const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    const QAbstractItemModel* model = index.model();
    long long widest = -1;
    if (const auto* lines = qobject_cast<const SubdivisorLineModel*>(model)) {
        widest = lines->lines().widestRow();
    } else if (model != nullptr) {
        // A short list of its own (the selected lines): every line is looked at.
        qsizetype most = -1;
        for (int row = 0; row < model->rowCount(); ++row) {
            const qsizetype length = model->index(row, 0).data().toString().size();
            if (length > most) {
                most = length;
                widest = row;
            }
        }
    }
    const QModelIndex sample =
        widest >= 0 && model != nullptr ? model->index(static_cast<int>(widest), 0) : index;
    QSize size = QStyledItemDelegate::sizeHint(option, sample);
    // Lines of as many characters differ a little in width: room for two more.
    size.rwidth() += 2 * option.fontMetrics.horizontalAdvance(QLatin1Char('0'));
    return size;
}

}  // namespace dorvanix
