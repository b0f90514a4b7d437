#pragma once
// The preview list of the output page: the station names of the generated file in one column
// under the header "电台名称". The names live in one compact container (all UTF-16 units
// end to end, and where each name starts); the rows show them through a permutation, so that
// filling 100 000 names costs one copy and sorting moves only indices, never an item object per
// name.

#include <QAbstractListModel>
#include <QTreeView>

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

class TClientDataSet;

// Names end to end: units holds every name's UTF-16 units, starts where each begins.
class PreviewCaptions {
  public:
    void reserve(std::size_t names, std::size_t units);
    void append(std::u16string_view caption);
    std::size_t size() const { return FStarts.size(); }
    std::u16string_view at(std::size_t i) const {
        const std::size_t end = i + 1 < FStarts.size() ? FStarts[i + 1] : FUnits.size();
        return {FUnits.data() + FStarts[i], end - FStarts[i]};
    }

  private:
    std::vector<char16_t> FUnits;
    std::vector<std::size_t> FStarts;
};

// One column of names, shown in the order of a permutation of their indices.
class PreviewListModel : public QAbstractListModel {
    Q_OBJECT

  public:
    explicit PreviewListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void setHeaderCaption(const QString& caption) { FHeaderCaption = caption; }

    // Replaces the rows by these names, in their order. Like every change of the rows, it
    // resets the model: the selection and the current row are dropped.
    void setCaptions(PreviewCaptions captions);
    void clear() { setCaptions({}); }
    // The caption shown in a row.
    std::u16string_view caption(int row) const {
        return FCaptions.at(FOrder[static_cast<std::size_t>(row)]);
    }

    // Reorders the rows stably in the caption order (compareCaptions), ascending or descending:
    // rows whose captions compare equal keep the order they had. Most pairs are told apart by
    // their first four folded units, packed into one integer; compare (negative, 0, positive in
    // the direction asked for) decides the pairs whose first four units agree.
    template <typename Compare>
    void sortByCaption(bool ascending, Compare compare) {
        // The keys sorted stably by radix (a descending sort sorts the complements), then each
        // run of equal keys stably by the comparison: the order a stable sort by key and then
        // comparison gives, without a comparison per step for the pairs the keys tell apart.
        std::vector<KeyedRow> keyed = keyedRows();
        if (!ascending)
            for (KeyedRow& row : keyed) row.key = ~row.key;
        sortByKey(keyed);
        const auto less = [&](const KeyedRow& a, const KeyedRow& b) {
            return compare(FCaptions.at(a.index), FCaptions.at(b.index)) < 0;
        };
        for (auto run = keyed.begin(); run != keyed.end();) {
            auto end = run + 1;
            bool allWhole = run->whole;
            while (end != keyed.end() && end->key == run->key) allWhole &= (end++)->whole;
            // Captions that their keys hold whole are equal when their keys are: nothing to do.
            if (end - run > 1 && !allWhole) std::stable_sort(run, end, less);
            run = end;
        }
        beginResetModel();
        for (std::size_t row = 0; row < keyed.size(); ++row) FOrder[row] = keyed[row].index;
        endResetModel();
    }

  private:
    struct KeyedRow {
        std::uint64_t key;  // the first four folded units, the first in the high bits
        std::uint32_t index;
        bool whole;  // the key holds the whole caption: at most four units, none of them 0
    };
    std::vector<KeyedRow> keyedRows() const;
    // Sorts by key, stably: a byte at a time from the lowest, skipping bytes all keys share.
    static void sortByKey(std::vector<KeyedRow>& rows);

    QString FHeaderCaption;
    PreviewCaptions FCaptions;
    std::vector<std::uint32_t> FOrder;  // row -> index into FCaptions
};

// The list control: a one-column view over its own PreviewListModel, with a clickable header.
class PreviewList : public QTreeView {
    Q_OBJECT

  public:
    explicit PreviewList(QWidget* parent = nullptr);

    PreviewListModel& rows() { return *FRows; }
    const PreviewListModel& rows() const { return *FRows; }
    int count() const { return FRows->rowCount(); }
    std::u16string_view caption(int row) const { return FRows->caption(row); }

  private:
    PreviewListModel* FRows;
};

// The station names from the dataset's current record to its end, walking the dataset (which
// leaves it at its end, the last station current).
PreviewCaptions readPreviewCaptions(TClientDataSet& dataSet);
