#include "app/mainstatusbar.h"

#include "store/maker.h"

#include <QLabel>

MainStatusBar::MainStatusBar(QWidget *parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("StatusBar1"));
    setSizeGripEnabled(false);
    const struct {
        int width;
        Qt::Alignment alignment;
        QString text;
    } panels[] = {
        {350, Qt::AlignLeft | Qt::AlignVCenter, QString()},
        {200, Qt::AlignCenter, QStringLiteral("操作员：")},
        {200, Qt::AlignCenter, QString()},
        // The last panel reaches to the window's right edge, whatever its nominal 300.
        {300, Qt::AlignRight | Qt::AlignVCenter, maker::webAddress()},
    };
    for (int index = 0; index < int(m_panels.size()); ++index) {
        auto *label = new QLabel(panels[index].text, this);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(index));
        const bool last = index + 1 == int(m_panels.size());
        if (last)
            label->setMinimumWidth(0);
        else
            label->setFixedWidth(panels[index].width);
        label->setAlignment(panels[index].alignment);
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        addWidget(label, last ? 1 : 0);
        m_panels[index] = label;
    }
}

QString MainStatusBar::panelText(int index) const {
    return m_panels.at(index)->text();
}

void MainStatusBar::showHint(const QString &hint) {
    m_panels[HintPanel]->setText(hint);
}

void MainStatusBar::showOperator(const QString &name) {
    m_panels[OperatorPanel]->setText(name);
}

void MainStatusBar::showToday(const QString &date) {
    m_panels[TodayPanel]->setText(QStringLiteral("今天：") + date);
}
