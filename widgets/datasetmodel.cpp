#include "widgets/datasetmodel.h"

#include "store/dataset.h"
#include "store/numbers.h"

QString formatNumber(double value, DisplayFormat format) {
    switch (format) {
    case DisplayFormat::Decimals3:
        return num::display3(value);
    case DisplayFormat::Decimals2:
        return num::display2(value);
    case DisplayFormat::None:
        break;
    }
    return num::general(value);
}

DatasetModel::DatasetModel(QObject *parent) : QAbstractTableModel(parent) {}

void DatasetModel::setColumns(std::vector<GridColumn> columns) {
    beginResetModel();
    m_columns = std::move(columns);
    for (GridColumn &column : m_columns) {
        if (column.group.isEmpty() && column.title.contains(QLatin1Char('|'))) {
            const GridColumn split = GridColumn::fromCaption(column.field, column.title);
            column.group = split.group;
            column.title = split.title;
        }
    }
    resolveFields();
    endResetModel();
}

int DatasetModel::columnOfField(const QString &field) const {
    for (std::size_t c = 0; c < m_columns.size(); ++c)
        if (m_columns[c].field.compare(field, Qt::CaseInsensitive) == 0) return static_cast<int>(c);
    return -1;
}

void DatasetModel::setDataset(Dataset *dataset) {
    beginResetModel();
    m_dataset = dataset;
    m_rows = dataset ? dataset->rowCount() : 0;
    resolveFields();
    endResetModel();
}

void DatasetModel::reload() {
    // Only rows come and go here: a reset with an unchanged column count keeps the header's widths,
    // order and hidden columns.
    beginResetModel();
    m_rows = m_dataset ? m_dataset->rowCount() : 0;
    resolveFields();
    endResetModel();
}

void DatasetModel::rowsAppended() {
    const int rows = m_dataset ? m_dataset->rowCount() : 0;
    if (rows < m_rows) {
        reload();
        return;
    }
    if (rows == m_rows) return;
    beginInsertRows({}, m_rows, rows - 1);
    m_rows = rows;
    endInsertRows();
}

void DatasetModel::refreshRow(int row) {
    if (row < 0 || row >= rowCount() || m_columns.empty()) return;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void DatasetModel::resolveFields() {
    m_datasetColumn.assign(m_columns.size(), -1);
    if (!m_dataset) return;
    for (std::size_t c = 0; c < m_columns.size(); ++c)
        m_datasetColumn[c] = m_dataset->fieldIndex(m_columns[c].field);
}

QString DatasetModel::cellText(int row, int column) const {
    if (!m_dataset || column < 0 || column >= columnCount()) return {};
    const int source = m_datasetColumn[static_cast<std::size_t>(column)];
    if (source < 0 || m_dataset->isNull(row, source)) return {};
    const DisplayFormat format = m_columns[static_cast<std::size_t>(column)].format;
    if (format == DisplayFormat::None || m_dataset->kind(source) == Dataset::Kind::Text)
        return m_dataset->text(row, source);
    return formatNumber(m_dataset->number(row, source), format);
}

QString DatasetModel::footerText(int column) const {
    if (column < 0 || column >= columnCount()) return {};
    const GridColumn &def = m_columns[static_cast<std::size_t>(column)];
    switch (def.footer) {
    case GridColumn::Footer::None:
        return {};
    case GridColumn::Footer::Text:
        return def.footerText;
    case GridColumn::Footer::Sum:
        break;
    }
    // A list still being read has no totals yet: the sum of the rows read so far would pass for the
    // total of the filter.
    if (m_dataset && m_dataset->loading()) return QString::fromUtf8(LoadingTotal);
    const int source = m_datasetColumn[static_cast<std::size_t>(column)];
    const double sum = m_dataset && source >= 0 ? m_dataset->total(source) : 0.0;
    return def.format == DisplayFormat::None ? num::generalTotal(sum) : formatNumber(sum, def.format);
}

Qt::Alignment DatasetModel::footerAlignment(int column) const {
    if (column < 0 || column >= columnCount()) return Qt::AlignLeft | Qt::AlignVCenter;
    const GridColumn &def = m_columns[static_cast<std::size_t>(column)];
    if (def.alignment) return def.alignment;
    return (def.footer == GridColumn::Footer::Sum ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

Qt::Alignment DatasetModel::alignment(int column) const {
    const GridColumn &def = m_columns[static_cast<std::size_t>(column)];
    if (def.alignment) return def.alignment;
    const int source = m_datasetColumn[static_cast<std::size_t>(column)];
    const bool number = m_dataset && source >= 0 && m_dataset->kind(source) != Dataset::Kind::Text;
    return (number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

int DatasetModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() || !m_dataset ? 0 : m_rows;
}

int DatasetModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant DatasetModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
    case Qt::DisplayRole:
        return cellText(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(alignment(index.column()));
    case Qt::ForegroundRole:
        if (m_rowColour) {
            const QColor colour = m_rowColour(index.row());
            if (colour.isValid()) return colour;
        }
        return {};
    default:
        return {};
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    const GridColumn &def = m_columns[static_cast<std::size_t>(section)];
    switch (role) {
    case Qt::DisplayRole:
        return def.title;
    case GroupTitleRole:
        return def.group;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    default:
        return {};
    }
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex &index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
