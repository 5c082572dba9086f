#pragma once
// The totals row under a data grid's rows: one cell per visible column, placed by the grid's header so
// that it follows resizing, moving and horizontal scrolling.
#include <QWidget>

class QHeaderView;
class DatasetModel;

class GridFooter : public QWidget {
  public:
    GridFooter(QHeaderView *header, DatasetModel *model, QWidget *parent);

    // The cell of a column in this widget's coordinates; empty for a hidden column.
    QRect cellRect(int logical) const;
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    QHeaderView *m_header;
    DatasetModel *m_model;
};
