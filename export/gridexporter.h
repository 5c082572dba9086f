#pragma once
// Writes what a data grid lists to an Excel worksheet file: its visible columns in screen order under
// their titles, every listed record, the totals row, under the report title and the author's line.
// The settings are given first, then export() runs once. The file is written beside the target and
// renamed over it at the end, so that a failed export leaves no half-written file and keeps the old one.
#include "export/worksheet.h"

#include <QString>

class DataGrid;
class QWidget;

class GridExporter {
  public:
    enum class Result {
        Written,
        Nothing,  // no rows listed, or no file name
        TooMany,  // more rows than a sheet holds: refused with a message, nothing written
        Declined, // the file exists and was not to be overwritten
        Failed,   // could not be written: reported with the file and the reason
    };

    // Where the questions and messages appear.
    explicit GridExporter(QWidget *dialogParent = nullptr) : m_parent(dialogParent) {}

    void setTitleName(const QString &title) { m_title = title; }
    void setBeginDate(const QString &text) { m_beginDate = text; }
    void setEndDate(const QString &text) { m_endDate = text; }
    void setUserName(const QString &name) { m_userName = name; }
    void setGrid(const DataGrid *grid) { m_grid = grid; }
    void setShowProgress(bool on) { m_showProgress = on; }
    void setFileName(const QString &path) { m_fileName = path; }

    Result exportGrid();
    // False, after saying so, when the listed rows with the title, heading and totals rows would need
    // more rows than one sheet has.
    bool fitsOneSheet() const;

    // The grid's columns as the sheet takes them: screen order, each with its caption, its visibility,
    // its field in the grid's dataset and its totals-row text; and the rest of the sheet's settings.
    worksheet::Sheet prepareSheet() const;

    // What a list too long for one sheet is refused with.
    static QString tooManyRowsMessage(qint64 rowsNeeded);
    // The question before an existing file is replaced.
    static QString overwriteQuestion(const QString &fileName);

  private:
    bool write(QString *error);
    void reportFailure(const QString &reason) const;

    QWidget *m_parent;
    QString m_title;
    QString m_beginDate;
    QString m_endDate;
    QString m_userName;
    const DataGrid *m_grid = nullptr;
    bool m_showProgress = true;
    QString m_fileName;
};
