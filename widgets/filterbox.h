#pragma once
// The quick filter group " 快速拼音查询" of a list: labelled fields three to a row, a date range that a
// tick box switches on, and a row of buttons. It only holds the controls; the list runs what they
// start. The boxes of the lists derive from it and add their fields in reading order, which is also
// the order the Tab key follows.
#include <QGroupBox>

class DateField;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QHBoxLayout;
class QLineEdit;
class QPushButton;

class FilterBox : public QGroupBox {
    Q_OBJECT
  public:
    QCheckBox *dateRange() const { return m_dateRange; }
    DateField *fromDate() const { return m_from; }
    DateField *toDate() const { return m_to; }

  signals:
    // The user changed a field that filters while typing (the text fields also when the program
    // empties them; a drop-down only when the user types or picks).
    void filterEdited();

  protected:
    // A text field's hint is its tooltip, and with InFields also what an empty field shows.
    enum class Hints { TooltipOnly, InFields };
    // The buttons stand at the right beside the date range, or on a row of their own under it.
    enum class Buttons { BesideDates, OwnRow };
    FilterBox(QWidget *parent, const char *objectName, Hints hints, Buttons buttons);

    // The next field with its label. An editable drop-down that lists names to pick; filling or
    // emptying it from the program starts no query.
    QComboBox *addDropDown(const char *objectName, const char *label, bool filtersWhileTyping);
    QLineEdit *addTextField(const char *objectName, const char *label, const QString &hint = {});
    // Under the fields: the tick box and the two date fields with "至" between them.
    void addDateRange(const char *caption, const char *checkName, const char *fromName, const char *toName);
    QPushButton *addButton(const char *caption, const char *objectName);

  private:
    void addLabelled(const char *label, QWidget *field);

    Hints m_hints;
    Buttons m_buttonPlace;
    QGridLayout *m_grid;
    QHBoxLayout *m_buttons = nullptr;
    int m_fields = 0;
    QCheckBox *m_dateRange = nullptr;
    DateField *m_from = nullptr;
    DateField *m_to = nullptr;
};
