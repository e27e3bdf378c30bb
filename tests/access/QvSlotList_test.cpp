#include "access/QvSlotList.h"

#include <gtest/gtest.h>

#include <vector>

TEST(SlotList, IndexesStayPutAndEmptySlotsAreReused)
{
    int a = 0, b = 0, c = 0;
    TQvSlotList<int> list;
    EXPECT_EQ(list.Add(&a), 0);
    EXPECT_EQ(list.Add(&b), 1);
    EXPECT_EQ(list.Take(0), &a);
    EXPECT_EQ(list.Take(0), nullptr);
    EXPECT_EQ(list.At(1), &b);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.SlotCount(), 2);
    EXPECT_EQ(list.Add(&c), 0);
    EXPECT_EQ(list.Find(&c), 0);
    EXPECT_EQ(list.Find(&a), -1);
    EXPECT_EQ(list.Find(nullptr), -1);
    EXPECT_EQ(list.At(-1), nullptr);
    EXPECT_EQ(list.At(2), nullptr);
    EXPECT_EQ(list.Take(2), nullptr);
    EXPECT_EQ(list.Count(), 2);
}

// A link freed while its database walks the list removes itself, and a
// notification may register another link: the walk must see the list as it is.
TEST(SlotList, WalkFollowsRemovalsAndRegistrationsMadeOnTheWay)
{
    int a = 0, b = 0, c = 0, late = 0;
    TQvSlotList<int> list;
    list.Add(&a);
    list.Add(&b);
    list.Add(&c);
    std::vector<int*> visited;
    list.ForEach([&](int* item) {
        visited.push_back(item);
        if (item == &a) {
            list.Take(0);
            list.Take(1);
            list.Add(&late);
        }
    });
    // &late filled slot 0, behind the walk: it is not visited, and &b is gone.
    EXPECT_EQ(visited, (std::vector<int*>{&a, &c}));
    EXPECT_EQ(list.Add(&b), 1);
    visited.clear();
    // With no empty slot left a registration goes to the end, ahead of the walk.
    list.ForEach([&](int* item) {
        visited.push_back(item);
        if (item == &c) {
            EXPECT_EQ(list.Add(&a), 3);
        }
    });
    EXPECT_EQ(visited, (std::vector<int*>{&late, &b, &c, &a}));
}
