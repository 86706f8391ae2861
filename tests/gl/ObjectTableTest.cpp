#include <ObjectTable.h>

#include <gtest/gtest.h>

#include <string>

namespace Korvex::Rendering::gl {
namespace {

using Table = ObjectTable<std::string, BufferId>;

TEST(GlObjectTable, FindsWhatWasInserted) {
    Table table;
    const BufferId a = table.Insert("a");
    const BufferId b = table.Insert("b");
    ASSERT_NE(table.Find(a), nullptr);
    EXPECT_EQ(*table.Find(a), "a");
    EXPECT_EQ(*table.Find(b), "b");
    EXPECT_EQ(table.Size(), 2u);
    EXPECT_FALSE(a.IsNull());
    EXPECT_NE(a.Index(), b.Index());
}

TEST(GlObjectTable, StaleIdFindsNothingAfterItsSlotIsReused) {
    Table table;
    const BufferId old = table.Insert("old");
    ASSERT_TRUE(table.Remove(old).has_value());
    const BufferId fresh = table.Insert("fresh");
    EXPECT_EQ(fresh.Index(), old.Index()) << "the slot is reused";
    EXPECT_NE(fresh.Generation(), old.Generation());
    EXPECT_EQ(table.Find(old), nullptr);
    EXPECT_FALSE(table.Remove(old).has_value()) << "a stale id removes nothing";
    EXPECT_EQ(*table.Find(fresh), "fresh");
    EXPECT_EQ(table.Size(), 1u);
}

TEST(GlObjectTable, NullAndUnknownIdsFindNothing) {
    Table table;
    table.Insert("x");
    EXPECT_EQ(table.Find(BufferId::Null()), nullptr);
    EXPECT_EQ(table.Find(BufferId::FromParts(7, 1)), nullptr);
    // Null whatever the generation: only the low 32 bits count.
    EXPECT_EQ(table.Find(BufferId{0x00000001FFFFFFFFull}), nullptr);
    EXPECT_FALSE(table.Remove(BufferId::Null()).has_value());
    EXPECT_EQ(table.Size(), 1u);
}

TEST(GlObjectTable, ClearHandsEveryObjectOverOnceAndInvalidatesIds) {
    Table table;
    const BufferId a = table.Insert("a");
    table.Insert("b");
    table.Remove(table.Insert("gone"));
    std::string seen;
    table.Clear([&](std::string& s) { seen += s; });
    EXPECT_EQ(seen, "ab");
    EXPECT_EQ(table.Size(), 0u);
    EXPECT_EQ(table.Find(a), nullptr);
}

}  // namespace
}  // namespace Korvex::Rendering::gl
