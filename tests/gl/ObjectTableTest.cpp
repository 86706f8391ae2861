#include <ObjectTable.h>

#include <gtest/gtest.h>

#include <string>

namespace Korvex::Rendering::gl {
namespace {

using Table = ObjectTable<std::string, BufferId>;

// Ids find what was inserted until it is removed; a reused slot gets a new
// generation, so stale, null and unknown ids find and remove nothing.
TEST(GlObjectTable, IdsFindTheirObjectUntilRemovedAndNeverAfter) {
    Table table;
    const BufferId old = table.Insert("old");
    const BufferId other = table.Insert("other");
    EXPECT_NE(old.Index(), other.Index());
    ASSERT_TRUE(table.Remove(old).has_value());
    const BufferId fresh = table.Insert("fresh");
    EXPECT_EQ(fresh.Index(), old.Index()) << "the slot is reused";
    EXPECT_EQ(*table.Find(fresh), "fresh");
    EXPECT_EQ(*table.Find(other), "other");
    for (const BufferId stale : {old, BufferId::Null(), BufferId::FromParts(7, 1), BufferId{0x00000001FFFFFFFFull}}) {
        EXPECT_EQ(table.Find(stale), nullptr) << stale.value;
        EXPECT_FALSE(table.Remove(stale).has_value()) << stale.value;
    }
    EXPECT_EQ(table.Size(), 2u);
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
