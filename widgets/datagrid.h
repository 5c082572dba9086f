#pragma once
// The data grid of the lists: a read-only, whole-row view of a snapshot dataset with two-level titles,
// a totals row, title-click sort markers, columns fitted to the width and a current row kept in step
// with the dataset's. A figure or date column is never narrower than its widest figure or total, so
// that no digit is cut off; when they do not all fit, the grid scrolls. Its objectName names it in the layout
// file. The columns and their widths are in datagridcolumns.cpp, the sort markers in datagridsort.cpp,
// the loading in steps in datagridloading.cpp and the totals row in datagridfooter.cpp.
#include "widgets/gridcolumn.h"

#include <QElapsedTimer>
#include <QSet>
#include <QTableView>
#include <functional>
#include <vector>

class Dataset;
class DatasetModel;
class GridFooter;
class GridHeader;
class QTimer;

class DataGrid : public QTableView {
    Q_OBJECT
  public:
    struct SortKey {
        int column;
        QString field;
        SortMarker marker;
        int sortIndex;
    };

    explicit DataGrid(QWidget *parent = nullptr);
    ~DataGrid() override;

    // Sets the columns with their widths and visibility; markers are cleared.
    void setColumns(std::vector<GridColumn> columns);
    const std::vector<GridColumn> &columns() const;
    int columnCountDefined() const { return static_cast<int>(columns().size()); }
    // The column of a field (case-insensitive), or -1.
    int columnOfField(const QString &field) const;
    QString fieldOf(int column) const;

    // The dataset is not owned.
    void setDataset(Dataset *dataset);
    Dataset *dataset() const;
    // After the owner loaded, sorted or removed rows: the view, the totals and the current row follow.
    void reload();
    // After the owner posted changes to one row.
    void refreshRow(int row);
    // A dataset that loads in steps (Dataset::startLoading) is read on while the user goes on, a few
    // milliseconds at a time between his keystrokes and clicks; the rows, totals and widths follow.
    // Rows to read before a list is first drawn: a screen holds fewer.
    static constexpr int FirstRowsShown = 200;
    bool isLoading() const;
    // Reads the rest now: for whatever needs every row (a print, an export). The rows reach the view
    // as they do in steps.
    void finishLoading() const;
    DatasetModel *datasetModel() const { return m_model; }
    GridHeader *gridHeader() const { return m_header; }
    GridFooter *totalsRow() const { return m_footer; }

    // The text colour of a row (invalid: the normal colour), asked whenever a cell is drawn.
    void setRowColour(std::function<QColor(int row)> hook);

    // The dataset's current row as well; -1 for none.
    int currentRow() const;
    void setCurrentRow(int row);

    void setColumnVisible(const QString &field, bool visible);
    bool isColumnVisible(const QString &field) const;
    // Hides the field's column for the rest of the grid's life: nothing shows it again (a column item,
    // a restored layout). For what a user's rights keep from him.
    void withholdColumn(const QString &field);
    // Visible columns in screen order, as prints and exports lay them out.
    std::vector<int> visibleColumnsInOrder() const;

    // Stretches the visible columns to the width, each keeping its share.
    void setFitColumnsToWidth(bool on);
    bool fitColumnsToWidth() const { return m_fit; }
    // Width as shown; for a hidden column, the width it would get when shown.
    int shownWidth(int column) const;
    // The least width that shows every figure (or date) of the column and its total whole; 0 for a
    // text column.
    int figureWidth(int column) const;
    // Sets a column's width (also while hidden); when fitting, the others make room.
    void setShownWidth(int column, int width);

    SortMarker sortMarker(int column) const;
    void setSortMarker(int column, SortMarker marker);
    int sortIndex(int column) const;
    void setSortIndex(int column, int index);
    // Columns carrying a marker, by sort index.
    std::vector<SortKey> sortKeys() const;
    // Moves a column's marker on as a title click does (none, down, up, down, ...; with keepOthers,
    // that is with Ctrl held, up goes back to none and the other markers stay). Returns the marker the
    // column had before.
    SortMarker advanceSortMarker(int column, bool keepOthers);
    // What the lists sort by after a title click: ascending when the marker was "down" before the
    // click, otherwise descending.
    static QString sortTextForClick(const QString &field, SortMarker before);

    // Row height in pixels and text lines per row as the layout file keeps them; 0 = the grid's default.
    int rowHeightSetting() const { return m_rowHeight; }
    void setRowHeightSetting(int pixels);
    int rowLines() const { return m_rowLines; }
    void setRowLines(int lines);
    // Kept with the layout for drop-down columns.
    int dropDownRows(int column) const;
    void setDropDownRows(int column, int rows);
    int dropDownWidth(int column) const;
    void setDropDownWidth(int column, int width);

  signals:
    // A title click, before the marker moves on: the owner decides what it does.
    void titleClicked(int column, SortMarker before);
    // The same click as a sort text ("field" or "field DESC") for the owner's dataset.
    void sortRequested(const QString &order);
    void rowClicked(int row);
    void rowDoubleClicked(int row);
    void currentRowChanged(int row);
    // The dataset loading in steps read its last row.
    void loadingFinished();
    // The engine failed while the rest was read: the list is empty, the message says why.
    void loadingFailed(const QString &message);

  protected:
    void updateGeometries() override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

  private:
    struct ColumnState {
        double share = 80; // width relative to the others when fitting
        int sortIndex = 0;
        int dropDownRows = 7;
        int dropDownWidth = 0;
    };

    void noteCurrentRow(int row);
    void watchLoading(Dataset *set);
    void readOn();
    // The rows the dataset read beyond those the view knows of reach it, with their widths.
    void showReadRows();
    void onTitleClicked(int column, Qt::KeyboardModifiers modifiers);
    void onSectionResized(int column, int oldSize, int newSize);
    void fitColumns(int keptColumn = -1);
    // The figure widths of every column over the listed rows, or grown by rows changed or appended.
    void measureFigures();
    void measureFigures(int first, int last);
    int totalWidth(int column) const;
    int cellPadding() const;
    void applyRowHeight();
    bool validColumn(int column) const { return column >= 0 && column < columnCountDefined(); }

    DatasetModel *m_model;
    GridHeader *m_header;
    QTimer *m_reader; // reads on a dataset loading in steps
    bool m_readingSlice = false;
    QElapsedTimer m_sinceShown; // since the view last heard of rows
    GridFooter *m_footer = nullptr;
    std::vector<ColumnState> m_state;
    std::vector<int> m_figureWidth; // per column, see figureWidth()
    QSet<QString> m_withheld;
    bool m_fit = true;
    bool m_fitting = false;
    bool m_placingFooter = false;
    int m_defaultRowHeight = 0;
    int m_rowHeight = 0;
    int m_rowLines = 0;
    int m_lastRow = -1;
};
