#include "app/line_list.h"

#include <QKeyEvent>
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
    if (model() != model_) setModel(model_);
    model_->setStringList(lines);
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
    const int row = model_->rowCount();
    model_->insertRows(row, 1);
    model_->setData(model_->index(row), line);
}

void LineList::removeLine(int row) {
    if (row >= 0 && row < model_->rowCount()) model_->removeRows(row, 1);
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
    if (model() == model_) return model_->stringList();
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
