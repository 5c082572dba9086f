#include "widgets/filllist.h"

#include "store/routines.h"
#include "widgets/dialogs.h"

#include <QComboBox>

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
