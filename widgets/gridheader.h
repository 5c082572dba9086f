#pragma once
// The title row of a data grid: two levels, a group title spanning the neighbouring columns that share
// it, and a sort marker per column (several at once, as Ctrl-clicks leave them).
#include "widgets/gridcolumn.h"

#include <QHeaderView>
#include <vector>

class GridHeader : public QHeaderView {
    Q_OBJECT
  public:
    explicit GridHeader(QWidget *parent = nullptr);

    SortMarker marker(int logical) const;
    void setMarker(int logical, SortMarker marker);

  signals:
    // A click on a title (not a drag or a resize), with the keys held at the time.
    void titleClicked(int logical, Qt::KeyboardModifiers modifiers);

  protected:
    void paintSection(QPainter *painter, const QRect &rect, int logical) const override;
    QSize sectionSizeFromContents(int logical) const override;
    void mouseReleaseEvent(QMouseEvent *event) override;

  private:
    QString groupOf(int logical) const;
    bool hasGroups() const;
    void paintCell(QPainter *painter, const QRect &rect, int logical, const QString &text,
                   SortMarker marker) const;

    std::vector<SortMarker> m_markers;
    Qt::KeyboardModifiers m_releaseModifiers;
};
