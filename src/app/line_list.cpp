#include "app/line_list.h"

#include <QStringListModel>

namespace dorvanix {

LineList::LineList(QWidget* parent) : QListView(parent), model_(new QStringListModel(this)) {
    setModel(model_);
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
    model_->setStringList(lines);
}

void LineList::appendLine(const QString& line) {
    const int row = model_->rowCount();
    model_->insertRows(row, 1);
    model_->setData(model_->index(row), line);
}

void LineList::removeLine(int row) {
    if (row >= 0 && row < model_->rowCount()) model_->removeRows(row, 1);
}

void LineList::clearLines() {
    model_->setStringList({});
}

int LineList::count() const {
    return model_->rowCount();
}

QString LineList::line(int row) const {
    return model_->index(row).data().toString();
}

QStringList LineList::lines() const {
    return model_->stringList();
}

int LineList::currentRow() const {
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.row() : -1;
}

void LineList::setCurrentRow(int row) {
    setCurrentIndex(model_->index(row));
}

}  // namespace dorvanix
