#pragma once
// The small window shown while an export writes: "正在导出数据，请稍候......" over a progress bar that
// runs up to the number of records. The bar repaints only when it moves on by a step, so that it costs
// the export next to nothing.
#include <QWidget>

class QProgressBar;

class ExportProgress : public QWidget {
    Q_OBJECT
  public:
    explicit ExportProgress(int records, QWidget *parent = nullptr);

    QProgressBar *bar() const { return m_bar; }
    // After each record: the bar shows it when it has moved on by a step of its own.
    void setRecord(int record);

  private:
    QProgressBar *m_bar;
    int m_records;
    int m_shownStep = -1;
};
