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

    // Reorders the rows stably by less(caption, caption): rows whose captions are equivalent
    // keep the order they had.
    template <typename Less>
    void sortRows(Less less) {
        beginResetModel();
        std::stable_sort(FOrder.begin(), FOrder.end(), [&](std::uint32_t a, std::uint32_t b) {
            return less(FCaptions.at(a), FCaptions.at(b));
        });
        endResetModel();
    }

  private:
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
