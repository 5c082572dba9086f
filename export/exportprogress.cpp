#include "export/exportprogress.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

namespace {
// The bar is redrawn this many times over a whole export at most.
constexpr int Steps = 100;
} // namespace

ExportProgress::ExportProgress(int records, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), m_records(records) {
    setObjectName(QStringLiteral("exportProgress"));
    setFixedSize(300, 100);
    setFont(QFont(QStringLiteral("宋体"), 9));

    auto *panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(rect());

    auto *label = new QLabel(QStringLiteral("正在导出数据，请稍候......"), panel);
    QFont bold = font();
    bold.setBold(true);
    label->setFont(bold);
    label->move(25, 25);
    label->adjustSize();

    m_bar = new QProgressBar(panel);
    m_bar->setGeometry(20, 50, 260, 13);
    m_bar->setRange(0, records);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    m_bar->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: blue; }"));

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void ExportProgress::setRecord(int record) {
    const int step = m_records > 0 ? static_cast<int>(qint64(record) * Steps / m_records) : Steps;
    if (step == m_shownStep && record != m_records) return;
    m_shownStep = step;
    // The bar paints itself at once. No events are handled here: a timer or a posted event could
    // reload the very list that is being written.
    m_bar->setValue(record);
}
