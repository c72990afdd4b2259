#include "qz7array.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

int a = 1, b = 2, c = 3;

std::vector<void*> Items(const TQZArray& arr)
{
    std::vector<void*> v;
    for (int32_t i = arr.Low(); i <= arr.High(); ++i) v.push_back(arr.Get(i));
    return v;
}

TEST(TQZArrayTest, NewArrayAndFirstAdd)
{
    TQZArray arr;
    EXPECT_EQ(arr.Low(), 1);
    EXPECT_EQ(arr.High(), 0);
    EXPECT_EQ(arr.Add(&a), 1);
    EXPECT_EQ(arr.Get(0), nullptr);
    EXPECT_EQ(arr.Get(2), nullptr);
    int32_t r = 0;
    EXPECT_EQ(TQZArray::Make(-1, &r), nullptr);
    EXPECT_EQ(r, QZRES_BADARG);
}

TEST(TQZArrayTest, GrowsByWholeSteps)
{
    TQZArray arr(16);
    for (int i = 0; i < 16; ++i) EXPECT_GE(arr.Add(&a), 1);
    EXPECT_EQ(arr.Capacity(), 16);
    EXPECT_GE(arr.Add(&b), 1);
    EXPECT_EQ(arr.Capacity(), 32);
    EXPECT_EQ(arr.Count(), 17);
}

TEST(TQZArrayTest, InsertBeyondTheEndLeavesNilsThatCount)
{
    TQZArray arr;
    EXPECT_GE(arr.Add(&a), 1);
    EXPECT_GE(arr.Add(&b), 1);
    EXPECT_EQ(arr.Insert(&c, arr.High() + 3), QZRES_OK);
    EXPECT_EQ(Items(arr), (std::vector<void*>{&a, &b, nullptr, nullptr, &c}));
    EXPECT_EQ(arr.Insert(&c, 0), QZRES_BADARG);
}

TEST(TQZArrayTest, MoveAndRemove)
{
    TQZArray arr;
    EXPECT_GE(arr.Add(&a), 1);
    EXPECT_GE(arr.Add(&b), 1);
    EXPECT_GE(arr.Add(&c), 1);
    EXPECT_EQ(arr.Move(1, 3), QZRES_OK);
    EXPECT_EQ(Items(arr), (std::vector<void*>{&b, &c, &a}));
    EXPECT_EQ(arr.Move(1, 4), QZRES_BADARG);
    int absent = 0;
    EXPECT_EQ(arr.IndexOf(&absent), -1);
    EXPECT_EQ(arr.Remove(&absent), QZRES_BADARG);
    EXPECT_EQ(arr.Remove(&c), QZRES_OK);
    EXPECT_EQ(Items(arr), (std::vector<void*>{&b, &a}));
}

TEST(TQZArrayTest, CallbackSeesInsertShiftAndClearedDelete)
{
    TQZArray arr;
    std::vector<std::tuple<void*, int, int>> seen;
    arr.SetOnMove([&](void* item, int32_t from, int32_t to) { seen.emplace_back(item, from, to); });
    EXPECT_GE(arr.Add(&a), 1);
    EXPECT_EQ(QZRES_OK, arr.Insert(&b, 1));
    arr.Delete(1);
    using T = std::tuple<void*, int, int>;
    EXPECT_EQ(seen, (std::vector<T>{T{&a, 0, 1}, T{&a, 1, 2}, T{&b, 0, 1}, T{nullptr, 1, -1}, T{&a, 2, 1}}));
    EXPECT_EQ(arr.Delete(5), QZRES_BADARG);
}

TEST(TQZArrayTest, ClearKeepsCapacity)
{
    TQZArray arr(4);
    for (int i = 0; i < 6; ++i) EXPECT_GE(arr.Add(&a), 1);
    int32_t cap = arr.Capacity();
    arr.Clear();
    EXPECT_EQ(arr.Count(), 0);
    EXPECT_EQ(arr.Capacity(), cap);
    EXPECT_EQ(arr.Get(1), nullptr);
}

}  // namespace

namespace {

int d = 4;

TEST(TQZArrayTest, GapBeyondTheEndIsNilEvenAfterDeletes)
{
    TQZArray arr;
    EXPECT_GE(arr.Add(&a), 1);
    EXPECT_GE(arr.Add(&b), 1);
    EXPECT_GE(arr.Add(&c), 1);
    ASSERT_EQ(arr.Delete(3), QZRES_OK);  // c's slot lies past the end now
    arr.Put(4, &c);                      // and so does a stored reference
    ASSERT_EQ(arr.Insert(&d, 5), QZRES_OK);
    EXPECT_EQ(Items(arr), (std::vector<void*>{&a, &b, nullptr, nullptr, &d}));
}

TEST(TQZArrayTest, UnreachableIndexIsRefusedAndKeepsTheElements)
{
    TQZArray arr;
    EXPECT_GE(arr.Add(&a), 1);
    EXPECT_GE(arr.Add(&b), 1);
    for (int32_t index : {INT32_MAX, INT32_MAX - 1}) {
        EXPECT_EQ(arr.Insert(&c, index), QZRES_ARRAY_NOMEMORY) << index;
        EXPECT_EQ(Items(arr), (std::vector<void*>{&a, &b})) << index;
    }
    EXPECT_EQ(arr.Add(&c), 3);
}

}  // namespace
