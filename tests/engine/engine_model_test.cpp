// Random inserts, appends, modifications, deletions, moves, undos, save points and merges
// through one cursor, checked after every step against a plain std::vector model of the
// default order, the cursor's place and the number of changes.

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "tests/engine/SmallTable.h"

namespace {

using namespace small;

// The model of the table: the records in default order, and per record what happened to it
// since the last merge.
struct Model {
    struct Record {
        int id;
        std::int32_t value;
    };
    struct History {
        bool inserted;  // inserted since the last merge
        bool deleted;
        std::int32_t base;  // value at the last merge
    };
    struct Undo {
        std::vector<Record> order;  // the order before the change
        std::map<int, History> history;
    };

    std::vector<Record> order;
    std::map<int, History> history;  // records changed since the last merge
    std::vector<Undo> undo;          // one per logged change, newest last

    std::uint32_t changes() const {
        std::uint32_t n = 0;
        for (const auto& [id, h] : history) {
            if (h.inserted) {
                n += !h.deleted;
            } else if (h.deleted) {
                ++n;
            } else {
                const auto it = std::find_if(order.begin(), order.end(),
                                             [&](const Record& r) { return r.id == id; });
                n += it != order.end() && it->value != h.base;
            }
        }
        return n;
    }
    void remember() { undo.push_back({order, history}); }
};

// The cursor's place in the model: a 1-based position and a status, as the engine keeps them.
struct Place {
    std::uint32_t p = 0;
    DBResult s = errAtBeginning;
};

class EngineModel {
  public:
    explicit EngineModel(std::uint32_t seed) : FRandom(seed) {
        FTable = createDSBase();
        DSFLDDesc fields[3] = {makeDescriptor("NAME", fldZSTRING, 20),
                               makeDescriptor("T", fldTIME, 0), makeDescriptor("N", fldINT32, 0)};
        EXPECT_EQ(FTable->defineTable(3, fields, "Model"), DBIERR_NONE);
        FCursor = createDSCursor();
        EXPECT_EQ(FCursor->openOnTable(FTable), DBIERR_NONE);
    }

    void run(int steps) {
        for (int step = 0; step < steps && !testing::Test::HasFatalFailure(); ++step) {
            SCOPED_TRACE(testing::Message() << "step " << step);
            doOneStep();
            check();
        }
    }

  private:
    std::uint32_t n() const { return static_cast<std::uint32_t>(FModel.order.size()); }
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(FRandom); }

    Buffer bufferFor(const Model::Record& r) { return record("r" + std::to_string(r.id), r.value); }

    void doOneStep() {
        const int op = pick(0, 99);
        if (op < 14) {
            append();
        } else if (op < 24) {
            insertHere();
        } else if (op < 38) {
            modifyHere();
        } else if (op < 48) {
            removeHere();
        } else if (op < 72) {
            moveBy(pick(-3, 3));
        } else if (op < 78) {
            moveTo(static_cast<std::uint32_t>(pick(0, n() + 1)));
        } else if (op < 81) {
            ASSERT_EQ(FCursor->moveBeforeFirst(), DBIERR_NONE);
            FPlace = {0, errAtBeginning};
        } else if (op < 84) {
            ASSERT_EQ(FCursor->moveAfterLast(), DBIERR_NONE);
            FPlace = {n() + 1, errAtEnd};
        } else if (op < 90) {
            undo();
        } else if (op < 94) {
            savePoint();
        } else if (op < 97) {
            undoToSavePoint();
        } else {
            merge();
        }
    }

    void append() {
        ASSERT_EQ(FCursor->moveAfterLast(), DBIERR_NONE);
        const Model::Record r{FNextId++, pick(0, 3)};
        ASSERT_EQ(FCursor->addRecord(bufferFor(r).data()), DBIERR_NONE);
        FModel.remember();
        FModel.order.push_back(r);
        FModel.history[r.id] = {true, false, r.value};
        FPlace = {n(), DBIERR_NONE};
    }

    void insertHere() {
        const Model::Record r{FNextId++, pick(0, 3)};
        const DBResult rc = FCursor->addRecord(bufferFor(r).data());
        ASSERT_EQ(rc, DBIERR_NONE);
        FModel.remember();
        FModel.history[r.id] = {true, false, r.value};
        if (FPlace.s == DBIERR_NONE) {  // in front of the current record, which moves down
            FModel.order.insert(FModel.order.begin() + (FPlace.p - 1), r);
        } else {
            FModel.order.push_back(r);
            FPlace.p = n();
        }
        FPlace.s = DBIERR_NONE;
    }

    void modifyHere() {
        Model::Record r{0, pick(0, 3)};
        if (FPlace.s == DBIERR_NONE) r.id = FModel.order[FPlace.p - 1].id;
        const DBResult rc = FCursor->updateRecord(bufferFor(r).data());
        if (FPlace.s != DBIERR_NONE) {
            ASSERT_EQ(rc, FPlace.s);
            return;
        }
        ASSERT_EQ(rc, DBIERR_NONE);
        auto& current = FModel.order[FPlace.p - 1];
        if (current.value == r.value) return;  // an equal buffer stores and logs nothing
        FModel.remember();
        if (!FModel.history.count(r.id)) FModel.history[r.id] = {false, false, current.value};
        current.value = r.value;
    }

    void removeHere() {
        const DBResult rc = FCursor->removeRecord();
        if (FPlace.s != DBIERR_NONE) {
            ASSERT_EQ(rc, FPlace.s);
            return;
        }
        ASSERT_EQ(rc, DBIERR_NONE);
        FModel.remember();
        const auto removed = FModel.order[FPlace.p - 1];
        if (!FModel.history.count(removed.id))
            FModel.history[removed.id] = {false, false, removed.value};
        FModel.history[removed.id].deleted = true;
        FModel.order.erase(FModel.order.begin() + (FPlace.p - 1));
        FPlace.s = errRecordDeleted;  // p now names the following record
    }

    // The cursor's rules for a step: after a deletion the position already names the next
    // record (a step forward stays, a step back is one shorter); the cracks re-anchor.
    void moveBy(std::int32_t k) {
        const DBResult rc = FCursor->moveBy(k);
        if (k == 0) {
            ASSERT_EQ(rc, FPlace.s);
            return;
        }
        const std::int64_t last = n();
        std::int64_t p = FPlace.p;
        DBResult s;
        if (k > 0) {
            if (FPlace.s == errAtBeginning) p = 0;
            if (FPlace.s == errAtEnd) p = last + 1;
            if (p + k <= last) {
                s = DBIERR_NONE;
                if (FPlace.s != errRecordDeleted) p += k;
            } else {
                s = errAtEnd;
                p = last + 1;
            }
        } else {
            std::int64_t m = -k;
            if (FPlace.s == errAtEnd || (FPlace.s == errRecordDeleted && p > last))
                p = last + 1;
            else if (FPlace.s != DBIERR_NONE)
                m -= 1;
            if (p >= 1 && p - m >= 1) {
                s = DBIERR_NONE;
                p -= m;
            } else {
                s = errAtBeginning;
                p = 0;
            }
        }
        FPlace = {static_cast<std::uint32_t>(p), s};
        ASSERT_EQ(rc, s) << "moveBy(" << k << ")";
    }

    void moveTo(std::uint32_t sequence) {
        const DBResult rc = FCursor->moveToSequenceNo(sequence);
        if (sequence == 0)
            FPlace = {0, errAtBeginning};
        else if (sequence > n())
            FPlace = {n() + 1, errAtEnd};
        else
            FPlace = {sequence, DBIERR_NONE};
        ASSERT_EQ(rc, FPlace.s);
    }

    void restore(const Model::Undo& u) {
        FModel.order = u.order;
        FModel.history = u.history;
    }

    void undo() {
        const DBResult rc = FCursor->popLastChange(false);
        if (FModel.undo.empty()) {
            ASSERT_EQ(rc, errNothingToUndo);
            return;
        }
        ASSERT_EQ(rc, DBIERR_NONE);
        restore(FModel.undo.back());
        FModel.undo.pop_back();
        repositionAfterUndo();
    }

    void savePoint() {
        std::uint32_t id = 0;
        ASSERT_EQ(FTable->getProperty(propSavePoint, &id), DBIERR_NONE);
        if (FModel.undo.empty()) {
            ASSERT_EQ(id, 0u);
            return;
        }
        ASSERT_NE(id, 0u);
        FSavePoints.push_back({id, FModel.undo.size()});
    }

    void undoToSavePoint() {
        if (FSavePoints.empty() || pick(0, 4) == 0) {  // now and then: undo everything
            ASSERT_EQ(FTable->undoToSavePoint(0), DBIERR_NONE);
            if (!FModel.undo.empty()) restore(FModel.undo.front());
            FModel.undo.clear();
            FSavePoints.clear();
            repositionAfterUndo();
            return;
        }
        const auto sp = FSavePoints[pick(0, static_cast<int>(FSavePoints.size()) - 1)];
        const DBResult rc = FTable->undoToSavePoint(sp.id);
        if (!sp.valid) {
            ASSERT_EQ(rc, errInvalidParameter);
            return;
        }
        ASSERT_EQ(rc, DBIERR_NONE);
        if (FModel.undo.size() > sp.length) {
            restore(FModel.undo[sp.length]);
            FModel.undo.resize(sp.length);
        }
        repositionAfterUndo();
    }

    // Undo may take away the record under the cursor; the model does not follow the cursor
    // through that, so the step ends on a known place.
    void repositionAfterUndo() {
        for (auto& sp : FSavePoints)
            if (sp.length > FModel.undo.size()) sp.valid = false;
        ASSERT_EQ(FCursor->moveBeforeFirst(), DBIERR_NONE);
        FPlace = {0, errAtBeginning};
    }

    void merge() {
        ASSERT_EQ(FTable->commitChangeLog(), DBIERR_NONE);
        FModel.undo.clear();
        FModel.history.clear();
        FSavePoints.clear();
    }

    void check() {
        // the cursor's place
        std::uint32_t sequence = 0;
        Buffer b(kRecordLength);
        if (FPlace.s == DBIERR_NONE) {
            ASSERT_EQ(FCursor->getSequenceNo(&sequence), DBIERR_NONE);
            ASSERT_EQ(sequence, FPlace.p);
            ASSERT_EQ(FCursor->readCurrentRecord(b.data()), DBIERR_NONE);
            const auto& r = FModel.order[FPlace.p - 1];
            ASSERT_EQ(nameOf(b), "r" + std::to_string(r.id));
            ASSERT_EQ(numberOf(b), r.value);
        } else {
            ASSERT_EQ(FCursor->getSequenceNo(&sequence), FPlace.s);
        }
        // the counts and the number of changes
        std::uint32_t count = 0, live = 0, changes = 0;
        ASSERT_EQ(FCursor->countRecords(&count), DBIERR_NONE);
        ASSERT_EQ(count, n());
        ASSERT_EQ(FTable->getProperty(propLiveRecordCount, &live), DBIERR_NONE);
        ASSERT_EQ(live, n());
        ASSERT_EQ(FTable->getProperty(propChangeCount, &changes), DBIERR_NONE);
        ASSERT_EQ(changes, FModel.changes());
        // every record in order, read through a second cursor
        auto reader = createDSCursor();
        ASSERT_EQ(reader->openOnTable(FTable), DBIERR_NONE);
        for (const auto& r : FModel.order) {
            ASSERT_EQ(reader->moveBy(1), DBIERR_NONE);
            ASSERT_EQ(reader->readCurrentRecord(b.data()), DBIERR_NONE);
            ASSERT_EQ(nameOf(b), "r" + std::to_string(r.id));
            ASSERT_EQ(numberOf(b), r.value);
        }
        ASSERT_EQ(reader->moveBy(1), errAtEnd);
    }

    struct SavePoint {
        std::uint32_t id;
        std::size_t length;
        bool valid = true;
    };

    std::mt19937 FRandom;
    IDSBasePtr FTable;
    IDSCursorPtr FCursor;
    Model FModel;
    Place FPlace;
    int FNextId = 1;
    std::vector<SavePoint> FSavePoints;
};

TEST(EngineModel, RandomOperationsAgreeWithTheModel) {
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        EngineModel(seed).run(600);
        if (HasFatalFailure()) return;
    }
}

}  // namespace
