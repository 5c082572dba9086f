#include "printing/printprogress.h"

#include <QCoreApplication>
#include <QProgressDialog>

PrintProgress::PrintProgress(QWidget *parent, int pages) : m_pages(pages) {
    if (pages < ShownFromPages) return;
    m_dialog = new QProgressDialog(QStringLiteral("正在打印…"), QStringLiteral("取消"), 0, pages, parent);
    m_dialog->setObjectName(QString::fromLatin1(ObjectName));
    m_dialog->setWindowTitle(QStringLiteral("打印"));
    // Nothing else may change the list while it is printed.
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setMinimumDuration(0);
    m_dialog->setValue(0);
    m_dialog->show();
    QCoreApplication::processEvents();
}

PrintProgress::~PrintProgress() {
    delete m_dialog.data();
}

bool PrintProgress::advance(int done) {
    if (!m_dialog) return !m_cancelled;
    m_dialog->setLabelText(QStringLiteral("正在打印… 第 %1 / %2 页").arg(done).arg(m_pages));
    m_dialog->setValue(done);
    QCoreApplication::processEvents();
    if (m_dialog->wasCanceled()) m_cancelled = true;
    return !m_cancelled;
}
