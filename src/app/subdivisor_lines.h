#pragma once

#include <QAbstractListModel>
#include <QStyledItemDelegate>
#include <cstdint>
#include <memory>
#include <ostream>
#include <vector>

#include "census/subdivisor_listing.h"
#include "model/fiber_data.h"

namespace dorvanix {

// The sub-divisors of one fiber X, stored as what they are rather than as text: the core
// multiplicity k and the first multiplicity of Y on each branch, 2 (b + 1) bytes a line (every
// multiplicity is at most 10000). ell and the type letters follow from these and X, so a line is
// formatted only when it is shown, selected or saved.
class SubdivisorLines {
  public:
    SubdivisorLines() = default;
    explicit SubdivisorLines(FiberData x);

    void reserve(std::size_t lines) { packed_.reserve(lines * stride_); }
    void append(const Subdivisor& y);
    std::size_t size() const { return stride_ == 0 ? 0 : packed_.size() / stride_; }
    // Bytes a list of `lines` lines of a fiber with `branches` branches takes.
    static double bytesFor(long long lines, int branches);
    std::size_t bytes() const { return packed_.capacity() * sizeof(std::uint16_t); }
    // The row of the line with the most characters; -1 while there is none.
    long long widestRow() const { return widestRow_; }

    // The line as the listing writes it.
    std::string line(std::size_t row) const;
    // Every line, each followed by `end`; stops at the first failed write.
    void write(std::ostream& out, std::string_view end) const;

  private:
    FiberData x_;
    std::size_t stride_ = 0;
    std::vector<std::uint16_t> packed_;
    long long widestRow_ = -1;
    std::size_t widestLength_ = 0;
};

// The list model over SubdivisorLines.
class SubdivisorLineModel : public QAbstractListModel {
    Q_OBJECT
  public:
    explicit SubdivisorLineModel(QObject* parent = nullptr) : QAbstractListModel(parent) {}
    void setLines(SubdivisorLines lines);
    const SubdivisorLines& lines() const { return *lines_; }
    // The lines shown, for a worker that writes them while the list may change.
    std::shared_ptr<const SubdivisorLines> sharedLines() const { return lines_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  private:
    std::shared_ptr<const SubdivisorLines> lines_ = std::make_shared<SubdivisorLines>();
};

// Gives every row of a list the size of its widest line. A list of rows of one height asks a
// single row for the size of all; this answers with the widest, so that a long line scrolls
// into view instead of being cut off.
class WidestLineDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace dorvanix
