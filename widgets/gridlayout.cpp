#include "widgets/gridlayout.h"

#include "widgets/datagrid.h"
#include "widgets/inifile.h"

#include <QHeaderView>
#include <QStringList>
#include <algorithm>
#include <optional>

namespace {
const QString defaultKey = QStringLiteral("(Default)");

QString columnKey(const DataGrid &grid, int column) {
    return grid.objectName() + QLatin1Char('.') + grid.fieldOf(column);
}

std::optional<int> wholeNumber(const QStringList &parts, int index) {
    if (index >= parts.size()) return std::nullopt;
    bool ok = false;
    const int value = parts[index].trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}
} // namespace

namespace gridlayout {

bool save(const DataGrid &grid, const QString &path, const QString &section, QString *error) {
    IniFile file;
    file.load(path); // a missing file starts empty
    const QHeaderView *header = grid.horizontalHeader();
    for (int column = 0; column < grid.columnCountDefined(); ++column) {
        const QStringList numbers{
            QString::number(header->visualIndex(column)),
            QString::number(grid.shownWidth(column)),
            QString::number(static_cast<int>(grid.sortMarker(column))),
            QString::number(grid.isColumnHidden(column) ? 0 : 1),
            QString::number(grid.sortIndex(column)),
            QString::number(grid.dropDownRows(column)),
            QString::number(grid.dropDownWidth(column)),
        };
        file.setValue(section, columnKey(grid, column), numbers.join(QLatin1Char(',')));
    }
    file.setValue(section, defaultKey,
                  QString::number(grid.rowHeightSetting()) + QLatin1Char(',') +
                      QString::number(grid.rowLines()));
    return file.save(path, error);
}

bool restore(DataGrid &grid, const QString &path, const QString &section) {
    IniFile file;
    if (!file.load(path) || !file.hasSection(section)) return false;
    QHeaderView *header = grid.horizontalHeader();
    const bool fitting = grid.fitColumnsToWidth();
    grid.setFitColumnsToWidth(false);

    struct Placement {
        int position;
        int column;
    };
    std::vector<Placement> placements;
    // In the grid's current order, as the columns stand before any of them moves.
    std::vector<int> order;
    for (int visual = 0; visual < header->count(); ++visual)
        order.push_back(header->logicalIndex(visual));
    for (int column : order) {
        const QString line = file.value(section, columnKey(grid, column)).value_or(QString());
        if (line.trimmed().isEmpty()) continue;
        const QStringList parts = line.split(QLatin1Char(','));
        placements.push_back({wholeNumber(parts, 0).value_or(header->visualIndex(column)), column});
        if (const auto width = wholeNumber(parts, 1); width && *width > 0) grid.setShownWidth(column, *width);
        if (const auto marker = wholeNumber(parts, 2); marker && *marker >= 0 && *marker <= 2)
            grid.setSortMarker(column, static_cast<SortMarker>(*marker));
        if (const auto visible = wholeNumber(parts, 3); visible && (*visible == 0 || *visible == 1))
            grid.setColumnVisible(grid.fieldOf(column), *visible == 1);
        if (const auto index = wholeNumber(parts, 4)) grid.setSortIndex(column, *index);
        if (const auto rows = wholeNumber(parts, 5)) grid.setDropDownRows(column, *rows);
        if (const auto width = wholeNumber(parts, 6)) grid.setDropDownWidth(column, *width);
    }
    std::stable_sort(placements.begin(), placements.end(),
                     [](const Placement &a, const Placement &b) { return a.position < b.position; });
    for (const Placement &placement : placements) {
        const int target = std::clamp(placement.position, 0, header->count() - 1);
        header->moveSection(header->visualIndex(placement.column), target);
    }

    const QStringList defaults = file.value(section, defaultKey).value_or(QString()).split(QLatin1Char(','));
    grid.setRowHeightSetting(std::max(0, wholeNumber(defaults, 0).value_or(0)));
    grid.setRowLines(std::max(0, wholeNumber(defaults, 1).value_or(0)));

    grid.setFitColumnsToWidth(fitting);
    return true;
}

} // namespace gridlayout
