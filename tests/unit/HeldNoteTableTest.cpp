#include "product/HeldNoteTable.h"

#include <gtest/gtest.h>

#include <climits>

namespace quorlin {
namespace {

TEST(HeldNoteTableTest, NotesWithoutLengthNeverEnd) {
    HeldNoteTable table;
    table.add(60, 1000, 0);
    table.add(62, 1000, -5);
    for (std::int32_t position : {INT32_MIN, -1, 0, 1000, INT32_MAX}) {
        table.prune(position);
    }
    ASSERT_EQ(table.count(), 2u);
    const HeldNote* held = table.find(62);
    ASSERT_NE(held, nullptr);
    EXPECT_FALSE(held->hasEnd);
    EXPECT_EQ(held->endPosition, -1);
    EXPECT_EQ(held->startPosition, 1000);
}

TEST(HeldNoteTableTest, NoteEndsExactlyAtStartPlusLength) {
    HeldNoteTable table;
    table.add(60, 1000, 480);
    EXPECT_EQ(table.find(60)->endPosition, 1480);
    table.prune(1479);
    EXPECT_EQ(table.count(), 1u);
    table.prune(1480);
    EXPECT_EQ(table.count(), 0u);

    table.add(60, 1000, 480);
    table.prune(5000);
    EXPECT_EQ(table.count(), 0u);
}

TEST(HeldNoteTableTest, AddReplacesEveryFieldOfAHeldNote) {
    HeldNoteTable table;
    table.add(60, 0, 100);
    table.add(60, 50, 0); // takes away the end the first entry had
    EXPECT_EQ(table.count(), 1u);
    const HeldNote* held = table.find(60);
    EXPECT_EQ(held->startPosition, 50);
    EXPECT_FALSE(held->hasEnd);
    table.prune(1000);
    EXPECT_EQ(table.count(), 1u);
}

TEST(HeldNoteTableTest, PruneRemovesOnlyEndedNotes) {
    HeldNoteTable table;
    table.add(48, 0, 100);  // ends at 100
    table.add(52, 0, 300);  // ends at 300
    table.add(55, 0, 0);    // no end
    table.add(-7, 0, 50);   // odd note numbers are still keys
    table.prune(100);
    EXPECT_EQ(table.count(), 2u);
    EXPECT_EQ(table.find(48), nullptr);
    EXPECT_EQ(table.find(-7), nullptr);
    ASSERT_NE(table.find(52), nullptr);
    EXPECT_EQ(table.find(52)->endPosition, 300);
    EXPECT_NE(table.find(55), nullptr);
}

TEST(HeldNoteTableTest, RemoveAndClear) {
    HeldNoteTable table;
    table.remove(60); // nothing held: no change
    table.prune(0);
    EXPECT_EQ(table.count(), 0u);
    table.add(60, 0, 0);
    table.add(64, 0, 0);
    table.remove(61);
    EXPECT_EQ(table.count(), 2u);
    table.remove(60);
    EXPECT_EQ(table.count(), 1u);
    table.clear();
    EXPECT_EQ(table.count(), 0u);
}

TEST(HeldNoteTableTest, EndPositionWrapsInsteadOfOverflowing) {
    HeldNoteTable table;
    table.add(60, INT32_MAX - 10, 20);
    EXPECT_EQ(table.find(60)->endPosition, INT32_MIN + 9);
    EXPECT_TRUE(table.find(60)->hasEnd);
    table.prune(INT32_MAX - 10); // the wrapped end lies "before" every position
    EXPECT_EQ(table.count(), 0u);
}

TEST(HeldNoteTableTest, ManyDistinctNotesBeyondTheMidiRange) {
    HeldNoteTable table;
    for (std::int32_t note = -500; note < 500; ++note) {
        table.add(note, note, note % 3 == 0 ? 10 : 0);
    }
    EXPECT_EQ(table.count(), 1000u);
    table.prune(INT32_MAX);
    EXPECT_EQ(table.count(), 1000u - 333u); // every third note from -498 to 498 had an end
}

} // namespace
} // namespace quorlin
