#pragma once
// Shows the rows of a snapshot dataset in a grid: cells are read from the dataset only when a view asks
// for them, formatted by their column's display format, coloured by an optional row hook.
#include "widgets/gridcolumn.h"

#include <QAbstractTableModel>
#include <QColor>
#include <functional>
#include <vector>

class Dataset;

class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // Header data role giving a column's group title.
    static constexpr int GroupTitleRole = Qt::UserRole + 1;

    explicit DatasetModel(QObject *parent = nullptr);

    void setColumns(std::vector<GridColumn> columns);
    const std::vector<GridColumn> &columns() const { return m_columns; }
    const GridColumn &column(int column) const { return m_columns[static_cast<std::size_t>(column)]; }
    // The grid column showing a field (case-insensitive), or -1.
    int columnOfField(const QString &field) const;

    // The dataset is not owned; it must outlive the model or be replaced first.
    void setDataset(Dataset *dataset);
    Dataset *dataset() const { return m_dataset; }
    // After the owner loaded, sorted or removed rows of the dataset.
    void reload();
    // After the owner changed the cells of one row (a post).
    void refreshRow(int row);
    // The dataset appended rows while loading in steps: the view learns of them as an insertion.
    void rowsAppended();

    // The text colour of a row; an invalid colour keeps the normal one. Asked each time a cell is drawn.
    void setRowColour(std::function<QColor(int row)> hook) { m_rowColour = std::move(hook); }

    QString cellText(int row, int column) const;
    // The totals-row text of a column: its fixed text, or the sum over the listed rows in the column's
    // display format; LoadingTotal while the list is still being read.
    QString footerText(int column) const;
    static constexpr auto LoadingTotal = "…";
    // Sums like numbers (to the right), fixed texts like texts, unless the column says otherwise.
    Qt::Alignment footerAlignment(int column) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

  private:
    void resolveFields();
    Qt::Alignment alignment(int column) const;

    std::vector<GridColumn> m_columns;
    std::vector<int> m_datasetColumn; // per grid column; -1 when the dataset has no such field
    Dataset *m_dataset = nullptr;
    // The rows the views know of: a dataset loading in steps has more before the model tells them.
    int m_rows = 0;
    std::function<QColor(int)> m_rowColour;
};

// A number in a display format.
QString formatNumber(double value, DisplayFormat format);
