#include "grid/QxSparse.h"

#include <gtest/gtest.h>

#include <string>

namespace corvel {
namespace {

TEST(TStringSparseList, UnwrittenItemsReadEmptyAndCountFollowsHighestWrite) {
    TStringSparseList list(SparseQuantum::Small);
    EXPECT_EQ(list.Count(), 0);
    list.Put(1000, "far");
    EXPECT_EQ(list.Count(), 1001);
    EXPECT_EQ(list.Get(1000), "far");
    EXPECT_TRUE(list.Get(999).isEmpty());
    EXPECT_TRUE(list.Get(5000).isEmpty());
    // Only the section holding index 1000 exists.
    EXPECT_EQ(list.SectionCount(), 1u);
}

TEST(TStringSparseList, WritingEmptyTextFreesTheItemAndLowersTheCount) {
    TStringSparseList list(SparseQuantum::Large);
    list.Put(3, "a");
    list.Put(700, "b");
    list.Put(700, "");
    EXPECT_EQ(list.Count(), 4);
    list.Put(3, "");
    EXPECT_EQ(list.Count(), 0);
}

TEST(TStringSparseList, DeleteInsertAndMoveShiftTheItemsBehind) {
    TStringSparseList list(SparseQuantum::Small);
    for (int i = 0; i < 40; ++i)
        list.Put(i, QString::number(i));
    list.Delete(5);
    EXPECT_EQ(list.Get(5), "6");
    EXPECT_EQ(list.Get(38), "39");
    EXPECT_EQ(list.Count(), 39);
    list.Insert(0, "new");
    EXPECT_EQ(list.Get(0), "new");
    EXPECT_EQ(list.Get(1), "0");
    EXPECT_EQ(list.Count(), 40);
    list.Move(0, 39);
    EXPECT_EQ(list.Get(0), "0");
    EXPECT_EQ(list.Get(39), "new");
    list.Move(39, 2);
    EXPECT_EQ(list.Get(2), "new");
    EXPECT_EQ(list.Get(3), "2");
}

TEST(TStringSparseList, ObjectsNeedAWrittenItem) {
    TStringSparseList list(SparseQuantum::Small);
    int marker = 0;
    try {
        list.PutObject(4, &marker);
        FAIL() << "no error raised";
    } catch (const EStringSparseListError& e) {
        EXPECT_EQ(e.message(), "PutObject to undefined item");
    }
    list.PutObject(4, nullptr); // clearing nothing is no error
    list.Put(4, "x");
    list.PutObject(4, &marker);
    EXPECT_EQ(list.GetObject(4), &marker);
    // An item with an object survives an empty text.
    list.Put(4, "");
    EXPECT_EQ(list.GetObject(4), &marker);
    EXPECT_EQ(list.Count(), 5);
}

TEST(TStringSparseList, NegativeIndexRaisesTheListIndexError) {
    TStringSparseList list(SparseQuantum::Small);
    for (auto action :
         {+[](TStringSparseList& l) { l.Get(-1); }, +[](TStringSparseList& l) { l.Put(-1, "x"); },
          +[](TStringSparseList& l) { l.Delete(-1); }}) {
        try {
            action(list);
            ADD_FAILURE() << "no error raised";
        } catch (const EStringSparseListError& e) {
            EXPECT_EQ(e.message(), "List index out of bounds (-1)");
        }
    }
    try {
        list.Delete(0);
        ADD_FAILURE() << "deleting from an empty list raised nothing";
    } catch (const EStringSparseListError& e) {
        EXPECT_EQ(e.message(), "List index out of bounds (0)");
    }
}

TEST(TSparsePointerArray, ForAllVisitsItemsInOrderAcrossSections) {
    TSparsePointerArray<int> array(SparseQuantum::Small);
    for (int index : {900, 3, 17, 16, 255})
        array.Put(index, std::make_unique<int>(index));
    std::string seen;
    array.ForAll([&seen](int index, int& value) {
        EXPECT_EQ(index, value);
        seen += std::to_string(index) + " ";
    });
    EXPECT_EQ(seen, "3 16 17 255 900 ");
    EXPECT_EQ(array.HighBound(), 900);
    EXPECT_EQ(array.SectionCount(), 4u); // sections 0, 1, 15 and 56
}

} // namespace
} // namespace corvel
