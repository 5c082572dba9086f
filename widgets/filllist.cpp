#include "widgets/filllist.h"

#include "store/routines.h"
#include "widgets/dialogs.h"

#include <QComboBox>
#include <QEvent>

bool fillListFromColumn(Database &database, QComboBox *comboBox, const QString &column,
                        const QString &table) {
    comboBox->clear();
    comboBox->clearEditText();
    const auto values = routines::columnValues(database, column, table);
    if (!values) {
        Dialogs::instance().error(comboBox, database.errorText());
        return false;
    }
    comboBox->addItems(*values);
    comboBox->setCurrentIndex(-1);
    comboBox->clearEditText();
    return true;
}

namespace {
// Child of the drop-down it fills; one per drop-down, replaced by each refill's column and table.
class PendingFill : public QObject {
  public:
    PendingFill(Database &database, QComboBox *box) : QObject(box), m_database(&database), m_box(box) {
        setObjectName(QStringLiteral("pendingFill"));
        box->installEventFilter(this);
    }
    void arm(Database &database, const QString &column, const QString &table) {
        m_database = &database;
        m_column = column;
        m_table = table;
        m_pending = true;
    }
    bool fill() {
        if (!m_pending) return false;
        m_pending = false;
        const QString kept = m_box->currentText();
        fillListFromColumn(*m_database, m_box, m_column, m_table);
        if (!kept.isEmpty()) m_box->setEditText(kept);
        return true;
    }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (watched == m_box && m_pending) {
            switch (event->type()) {
            case QEvent::FocusIn:
            case QEvent::MouseButtonPress:
            case QEvent::Wheel:
                fill();
                break;
            default:
                break;
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    Database *m_database;
    QComboBox *m_box;
    QString m_column, m_table;
    bool m_pending = false;
};

PendingFill *pendingFillOf(QComboBox *box) {
    return box->findChild<PendingFill *>(QStringLiteral("pendingFill"), Qt::FindDirectChildrenOnly);
}
} // namespace

void fillListFromColumnWhenOpened(Database &database, QComboBox *comboBox, const QString &column,
                                  const QString &table) {
    comboBox->clear();
    comboBox->clearEditText();
    PendingFill *pending = pendingFillOf(comboBox);
    if (!pending) pending = new PendingFill(database, comboBox);
    pending->arm(database, column, table);
    // Already in the user's hands: the values come now.
    if (comboBox->hasFocus()) pending->fill();
}
