#include "app/PreviewList.h"

#include <numeric>

#include "dataset/ClientDataSet.h"
#include "stations/StationSchema.h"

void PreviewCaptions::reserve(std::size_t names, std::size_t units) {
    FStarts.reserve(names);
    FUnits.reserve(units);
}

void PreviewCaptions::append(std::u16string_view caption) {
    FStarts.push_back(FUnits.size());
    FUnits.insert(FUnits.end(), caption.begin(), caption.end());
}

PreviewListModel::PreviewListModel(QObject* parent) : QAbstractListModel(parent) {}

int PreviewListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(FOrder.size());
}

QVariant PreviewListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() != 0 || index.row() < 0 ||
        static_cast<std::size_t>(index.row()) >= FOrder.size())
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    const std::u16string_view shown = caption(index.row());
    return QString::fromUtf16(shown.data(), static_cast<qsizetype>(shown.size()));
}

QVariant PreviewListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return FHeaderCaption;
    return {};
}

void PreviewListModel::setCaptions(PreviewCaptions captions) {
    beginResetModel();
    FCaptions = std::move(captions);
    FOrder.resize(FCaptions.size());
    std::iota(FOrder.begin(), FOrder.end(), std::uint32_t{0});
    endResetModel();
}

PreviewList::PreviewList(QWidget* parent) : QTreeView(parent), FRows(new PreviewListModel(this)) {
    setModel(FRows);
}

PreviewCaptions readPreviewCaptions(TClientDataSet& dataSet) {
    PreviewCaptions captions;
    while (!dataSet.Eof()) {
        captions.append(dataSet.GetFieldValue(StationFieldName::Name).ToText());
        dataSet.Next();
    }
    return captions;
}
