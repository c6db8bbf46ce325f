#include <gtest/gtest.h>

#include "orvane/launch/MenuModel.h"

using orvane::MenuModel;

namespace {

struct KeyCase {
    int from;
    int vk;
    int to;
};

class KeyTable : public testing::TestWithParam<KeyCase> {};

TEST_P(KeyTable, MovesTheFocusAsTheTableSays)
{
    const KeyCase c = GetParam();
    MenuModel m;
    m.SetFocusItem(c.from);
    const MenuModel::KeyResult r = m.OnKey(c.vk);
    EXPECT_EQ(r.command, MenuModel::KeyCommand::Focus);
    EXPECT_EQ(r.item, c.to);
}

INSTANTIATE_TEST_SUITE_P(
    Moves, KeyTable,
    testing::Values(KeyCase{0, MenuModel::VK_RIGHT, 1}, KeyCase{0, MenuModel::VK_SPACE, 1},
                    KeyCase{0, MenuModel::VK_LEFT, -1}, KeyCase{0, MenuModel::VK_BACK, -1},
                    KeyCase{0, MenuModel::VK_UP, 3}, KeyCase{0, MenuModel::VK_DOWN, 3},
                    KeyCase{6, MenuModel::VK_RIGHT, 1}, KeyCase{1, MenuModel::VK_LEFT, 6},
                    KeyCase{3, MenuModel::VK_RIGHT, 4}, KeyCase{4, MenuModel::VK_BACK, 3},
                    KeyCase{2, MenuModel::VK_DOWN, 5}, KeyCase{5, MenuModel::VK_DOWN, 2},
                    KeyCase{6, MenuModel::VK_UP, 3}, KeyCase{-1, MenuModel::VK_RIGHT, 0},
                    KeyCase{-1, MenuModel::VK_DOWN, 2}));

TEST(MenuModel, EscClosesEnterLaunchesOtherKeysDoNothing)
{
    MenuModel m;
    m.SetFocusItem(4);
    EXPECT_EQ(m.OnKey(MenuModel::VK_ESCAPE).command, MenuModel::KeyCommand::Close);
    const auto enter = m.OnKey(MenuModel::VK_RETURN);
    EXPECT_EQ(enter.command, MenuModel::KeyCommand::Launch);
    EXPECT_EQ(enter.item, 4);
    EXPECT_EQ(m.OnKey('A').command, MenuModel::KeyCommand::None);
    EXPECT_EQ(m.OnKey(46 /* Delete */).command, MenuModel::KeyCommand::None);
}

TEST(MenuModel, FocusChangeHidesOldShowsNewAndPicksTheSound)
{
    MenuModel m;
    auto c = m.SetFocusItem(1);
    EXPECT_TRUE(c.changed);
    EXPECT_EQ(c.hideItem, 0);
    EXPECT_EQ(c.showItem, 1);
    EXPECT_EQ(c.sound, 1);

    c = m.SetFocusItem(1);  // the same item again: nothing, no second sound
    EXPECT_FALSE(c.changed);
    EXPECT_EQ(c.sound, 0);

    c = m.SetFocusItem(5);
    EXPECT_EQ(c.hideItem, 1);
    EXPECT_EQ(c.showItem, 5);
    EXPECT_EQ(c.sound, 2);

    c = m.SetFocusItem(-1);  // outside 1..6: hides the old one, shows and plays nothing
    EXPECT_TRUE(c.changed);
    EXPECT_EQ(c.hideItem, 5);
    EXPECT_EQ(c.showItem, 0);
    EXPECT_EQ(c.sound, 0);
    EXPECT_EQ(m.focusItem(), -1);
}

TEST(MenuModel, ZonesHaveExclusiveBounds)
{
    struct Case {
        int x, y;
        int item;  // 0: no zone
    };
    const Case cases[] = {
        {100, 150, 1}, {48, 150, 0},  {49, 150, 1},  {217, 106, 1}, {218, 150, 0}, {300, 150, 2},
        {500, 150, 3}, {500, 185, 0}, {500, 105, 0}, {100, 350, 4}, {135, 350, 0}, {200, 350, 5},
        {300, 400, 6}, {300, 401, 0}, {240, 350, 0}, {600, 400, 0},
    };
    for (const Case& c : cases) {
        const std::vector<int> items = MenuModel::ZonesAt(c.x, c.y);
        if (c.item == 0) {
            EXPECT_TRUE(items.empty()) << c.x << "," << c.y;
        } else {
            ASSERT_EQ(items.size(), 1u) << c.x << "," << c.y;
            EXPECT_EQ(items[0], c.item) << c.x << "," << c.y;
        }
    }
}

TEST(MenuModel, ExitCornerIsTheLowerRightTriangle)
{
    // A click at (150, 150) on the description picture is panel (537, 389): no exit.
    EXPECT_FALSE(MenuModel::IsExitPoint(MenuModel::TextToPanelX(150), MenuModel::TextToPanelY(150)));
    // (200, 200) is panel (587, 439), sum 1026: exit.
    EXPECT_TRUE(MenuModel::IsExitPoint(MenuModel::TextToPanelX(200), MenuModel::TextToPanelY(200)));
    EXPECT_FALSE(MenuModel::IsExitPoint(609, 440));  // right bound is exclusive
    EXPECT_FALSE(MenuModel::IsExitPoint(595, 376));  // top bound is exclusive
    EXPECT_FALSE(MenuModel::IsExitPoint(530, 440));  // sum 970 is not above
    EXPECT_TRUE(MenuModel::IsExitPoint(531, 440));
}

}  // namespace
