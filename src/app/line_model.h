#pragma once

#include <QAbstractListModel>
#include <QStringList>

namespace dorvanix {

// The strings of a LineList, one a row. Unlike QStringListModel, which fills new rows one
// setData (and one signal) at a time, it appends a batch of lines in one step, so that a list
// that grows by hundreds of thousands of lines a second stays in step with what is found.
class LineModel : public QAbstractListModel {
    Q_OBJECT
  public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    const QStringList& lines() const { return lines_; }
    void setLines(const QStringList& lines);
    void append(const QStringList& lines);
    void remove(int row);

  private:
    QStringList lines_;
};

}  // namespace dorvanix
