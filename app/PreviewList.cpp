#include "app/PreviewList.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <utility>

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

std::vector<PreviewListModel::KeyedRow> PreviewListModel::keyedRows() const {
    // The caption order folds only 'a' to 'z', then compares units, a prefix first. Packing the
    // first four folded units (missing ones as 0) keeps that order wherever two keys differ:
    // a shorter caption's 0 is below any unit of a longer one, or the keys are equal and the
    // comparison decides.
    std::vector<KeyedRow> keyed(FOrder.size());
    for (std::size_t row = 0; row < FOrder.size(); ++row) {
        const std::u16string_view caption = FCaptions.at(FOrder[row]);
        std::uint64_t key = 0;
        bool whole = caption.size() <= 4;
        for (std::size_t i = 0; i < 4; ++i) {
            char16_t unit = i < caption.size() ? caption[i] : u'\0';
            if (i < caption.size() && unit == u'\0') whole = false;
            if (unit >= u'a' && unit <= u'z') unit = static_cast<char16_t>(unit - u'a' + u'A');
            key = (key << 16) | unit;
        }
        keyed[row] = {key, FOrder[row], whole};
    }
    return keyed;
}

void PreviewListModel::sortByKey(std::vector<KeyedRow>& rows) {
    constexpr int kBytes = sizeof(std::uint64_t);
    std::array<std::array<std::size_t, 256>, kBytes> counts{};
    for (const KeyedRow& row : rows)
        for (int b = 0; b < kBytes; ++b) ++counts[b][(row.key >> (8 * b)) & 0xFF];
    std::vector<KeyedRow> other(rows.size());
    for (int b = 0; b < kBytes; ++b) {
        auto& count = counts[b];
        if (std::find(count.begin(), count.end(), rows.size()) != count.end()) continue;
        std::size_t start = 0;
        for (std::size_t& c : count) start += std::exchange(c, start);
        for (const KeyedRow& row : rows) other[count[(row.key >> (8 * b)) & 0xFF]++] = row;
        rows.swap(other);
    }
}

PreviewList::PreviewList(QWidget* parent) : QTreeView(parent), FRows(new PreviewListModel(this)) {
    setModel(FRows);
    // A flat list of one-line rows: every row is as high as the first, so the view lays out
    // 100 000 of them without measuring each.
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);  // the window sorts with its own comparison
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

PreviewCaptions readPreviewCaptions(TClientDataSet& dataSet) {
    PreviewCaptions captions;
    if (dataSet.Eof()) return captions;
    // The field is looked up once. The caption is GetFieldValue(...).ToText() of it; for a text
    // field that is its AsString, without a variant in between.
    const TField* name = dataSet.FieldByName(StationFieldName::Name);
    const bool text = dynamic_cast<const TStringField*>(name) != nullptr;
    const auto expected = static_cast<std::size_t>(std::max(dataSet.RecordCount(), 0));
    captions.reserve(expected, expected * 8);
    // A text field is read in one pass over the table, and the dataset then ends where the
    // walk would have left it: on the last record, at its end.
    if (text && dataSet.ReadTextsToEnd(*name, [&captions](std::u16string&& caption) {
            captions.append(std::move(caption));
        })) {
        dataSet.Last();
        dataSet.Next();
        return captions;
    }
    while (!dataSet.Eof()) {
        captions.append(text ? name->AsString() : name->AsVariant().ToText());
        dataSet.Next();
    }
    return captions;
}
