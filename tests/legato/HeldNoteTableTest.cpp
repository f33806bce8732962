#include "legato/HeldNoteTable.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <random>

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
    table.add(48, 0, 100); // ends at 100
    table.add(52, 0, 300); // ends at 300
    table.add(55, 0, 0);   // no end
    table.add(-7, 0, 50);  // odd note numbers are still keys
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

TEST(HeldNoteTableTest, LimitAgesBringsOlderStartsToTheOldestAgeAcrossTheWrap) {
    HeldNoteTable table;
    table.add(60, INT32_MAX - 10, 0);
    table.add(62, INT32_MIN + 50, 0);
    table.limitAges(INT32_MIN + 90, 100); // 60 is 101 positions old, 62 only 40
    EXPECT_EQ(table.find(60)->startPosition, INT32_MAX - 9);
    EXPECT_EQ(table.find(62)->startPosition, INT32_MIN + 50);
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

namespace quorlin {
namespace {

// The table against a plain ordered map doing the same operations, with note numbers and
// positions far outside the MIDI range and ends that wrap.
TEST(HeldNoteTableTest, BehavesLikeAnOrderedMapUnderRandomOperations) {
    struct Model {
        std::int32_t end;
        bool hasEnd;
        std::int32_t start;
    };
    std::map<std::int32_t, Model> model;
    HeldNoteTable table;
    std::mt19937 random(7);
    auto pick = [&](std::int32_t low, std::int32_t high) {
        return std::uniform_int_distribution<std::int32_t>(low, high)(random);
    };
    for (int step = 0; step < 200000; ++step) {
        std::int32_t note = step % 7 == 0 ? pick(INT32_MIN, INT32_MAX) : pick(-20, 150);
        std::int32_t position = step % 11 == 0 ? pick(INT32_MIN, INT32_MAX) : pick(0, 5000);
        switch (pick(0, 5)) {
        case 0:
        case 1: {
            std::int32_t length = step % 13 == 0 ? pick(INT32_MIN, INT32_MAX) : pick(-10, 600);
            table.add(note, position, length);
            std::int32_t end = static_cast<std::int32_t>(static_cast<std::uint32_t>(position) +
                                                         static_cast<std::uint32_t>(length));
            model[note] = {length > 0 ? end : -1, length > 0, position};
            break;
        }
        case 2:
            table.remove(note);
            model.erase(note);
            break;
        case 3:
        case 4:
            table.prune(position);
            std::erase_if(model, [&](const auto& entry) {
                return entry.second.hasEnd && entry.second.end <= position;
            });
            break;
        default:
            if (step % 97 == 0) {
                table.clear();
                model.clear();
            }
        }
        ASSERT_EQ(table.count(), model.size()) << "step " << step;
        const HeldNote* held = table.find(note);
        auto expected = model.find(note);
        ASSERT_EQ(held != nullptr, expected != model.end()) << "step " << step;
        if (held != nullptr) {
            ASSERT_EQ(held->endPosition, expected->second.end);
            ASSERT_EQ(held->hasEnd, expected->second.hasEnd);
            ASSERT_EQ(held->startPosition, expected->second.start);
        }
    }
}

} // namespace
} // namespace quorlin
