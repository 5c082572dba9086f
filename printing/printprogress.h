#pragma once
// The window a long print shows while it goes on page by page: the program keeps answering, and
// "取消" stops the print.
#include <QElapsedTimer>
#include <QPointer>

class QProgressDialog;
class QWidget;

class PrintProgress {
  public:
    // Prints of fewer pages are done before a window would be read.
    static constexpr int ShownFromPages = 20;
    static constexpr auto ObjectName = "printProgress";

    // No window for a short print. `parent` may be null.
    PrintProgress(QWidget *parent, int pages);
    ~PrintProgress();
    PrintProgress(const PrintProgress &) = delete;
    PrintProgress &operator=(const PrintProgress &) = delete;

    // Says that `done` pages are printed and lets the program answer; false once the user cancelled.
    bool advance(int done);
    bool cancelled() const { return m_cancelled; }

  private:
    QPointer<QProgressDialog> m_dialog;
    int m_pages = 0;
    bool m_cancelled = false;
};
