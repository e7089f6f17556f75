#include "app/line_list.h"

#include <QKeyEvent>
#include <QStyledItemDelegate>
#include <algorithm>

#include "app/line_model.h"

namespace dorvanix {

class WideRowDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setWidth(std::max(size.width(), width));
        return size;
    }
    int width = 0;
};

LineList::LineList(QWidget* parent)
    : QListView(parent), model_(new LineModel(this)), delegate_(new WideRowDelegate(this)) {
    setModel(model_);
    setItemDelegate(delegate_);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(this, &QListView::doubleClicked, this,
            [this](const QModelIndex& index) { emit lineActivated(index.row()); });
}

void LineList::setLines(const std::vector<std::string>& lines) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines) list.append(QString::fromStdString(line));
    setLines(list);
}

void LineList::setLines(const QStringList& lines) {
    if (model() != model_) setModel(model_);
    longestLine_ = 0;
    delegate_->width = 0;
    model_->setLines(lines);
    widenFor(lines);
}

void LineList::widenFor(const QStringList& lines) {
    const QString* longest = nullptr;
    for (const QString& line : lines) {
        if (line.size() > longestLine_) {
            longestLine_ = line.size();
            longest = &line;
        }
    }
    if (longest == nullptr) return;
    // The lines are mostly digits, which share one width; two wide characters spare the rest.
    const int width = fontMetrics().horizontalAdvance(*longest + QStringLiteral("MM"));
    if (width <= delegate_->width) return;
    delegate_->width = width;
    scheduleDelayedItemsLayout();
}

void LineList::setLineModel(QAbstractItemModel* model) {
    setModel(model);
}

void LineList::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && currentRow() >= 0) {
        emit lineActivated(currentRow());
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void LineList::appendLine(const QString& line) {
    appendLines({line});
}

void LineList::appendLines(const QStringList& lines) {
    if (lines.isEmpty()) return;
    model_->append(lines);
    widenFor(lines);
}

void LineList::removeLine(int row) {
    model_->remove(row);
}

void LineList::clearLines() {
    setLines(QStringList());
}

int LineList::count() const {
    return model()->rowCount();
}

QString LineList::line(int row) const {
    return model()->index(row, 0).data().toString();
}

QStringList LineList::lines() const {
    if (model() == model_) return model_->lines();
    QStringList lines;
    for (int row = 0; row < count(); ++row) lines.append(line(row));
    return lines;
}

int LineList::currentRow() const {
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.row() : -1;
}

void LineList::setCurrentRow(int row) {
    setCurrentIndex(model()->index(row, 0));
}

}  // namespace dorvanix
