#pragma once

#include <QListView>
#include <QStringList>
#include <string>
#include <vector>

namespace dorvanix {

class LineModel;
class WideRowDelegate;

// A list box for very long lists of text lines: a model-based view with rows of one height, so
// that millions of lines scroll without delay. It shows its own list of strings, or a model that
// formats its lines when they are shown (setLineModel). Enter on the current line is a double
// click.
class LineList : public QListView {
    Q_OBJECT
  public:
    explicit LineList(QWidget* parent = nullptr);

    void setLines(const std::vector<std::string>& lines);
    void setLines(const QStringList& lines);
    void appendLine(const QString& line);
    // Adds lines at the end, in one go.
    void appendLines(const QStringList& lines);
    void removeLine(int row);
    void clearLines();
    // Shows `model` instead of the list's own strings; the list does not own it.
    void setLineModel(QAbstractItemModel* model);

    int count() const;
    QString line(int row) const;
    QStringList lines() const;
    // The row of the current line, or -1 when there is none.
    int currentRow() const;
    void setCurrentRow(int row);

  signals:
    // A line was double-clicked.
    void lineActivated(int row);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // Makes every row at least as wide as the longest of `lines`: the rows share one size, taken
    // from the first row, and a longer line would otherwise be cut off.
    void widenFor(const QStringList& lines);

    LineModel* model_;
    WideRowDelegate* delegate_;
    qsizetype longestLine_ = 0;  // characters of the longest line so far
};

}  // namespace dorvanix
