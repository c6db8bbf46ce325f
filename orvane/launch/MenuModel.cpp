#include "orvane/launch/MenuModel.h"

namespace orvane {

namespace {

struct Zone {
    int item;
    int xMin, xMax, yMin, yMax;  // exclusive bounds
};

constexpr Zone kZones[] = {
    {1, 48, 218, 105, 185},  {2, 227, 392, 105, 185}, {3, 420, 585, 105, 185},
    {4, 51, 135, 323, 401},  {5, 139, 223, 323, 401}, {6, 255, 339, 323, 401},
};

}  // namespace

MenuModel::FocusChange MenuModel::SetFocusItem(int n)
{
    FocusChange change;
    if (n == focusItem_)
        return change;
    change.changed = true;
    change.hideItem = IsValidItem(focusItem_) ? focusItem_ : 0;
    change.showItem = IsValidItem(n) ? n : 0;
    change.sound = SoundOf(n);
    focusItem_ = n;
    return change;
}

std::vector<int> MenuModel::ZonesAt(int x, int y)
{
    std::vector<int> items;
    for (const Zone& z : kZones) {
        if (x > z.xMin && x < z.xMax && y > z.yMin && y < z.yMax)
            items.push_back(z.item);
    }
    return items;
}

MenuModel::KeyResult MenuModel::OnKey(int vk) const
{
    KeyResult r;
    switch (vk) {
    case VK_ESCAPE:
        r.command = KeyCommand::Close;
        break;
    case VK_RETURN:
        r.command = KeyCommand::Launch;
        r.item = focusItem_;
        break;
    case VK_RIGHT:
    case VK_SPACE:
        r.command = KeyCommand::Focus;
        r.item = focusItem_ == 6 ? 1 : focusItem_ + 1;
        break;
    case VK_LEFT:
    case VK_BACK:
        r.command = KeyCommand::Focus;
        r.item = focusItem_ == 1 ? 6 : focusItem_ - 1;
        break;
    case VK_UP:
    case VK_DOWN:
        r.command = KeyCommand::Focus;
        r.item = focusItem_ >= 4 ? focusItem_ - 3 : focusItem_ + 3;
        break;
    default:
        break;
    }
    return r;
}

bool MenuModel::IsExitPoint(int x, int y)
{
    return x > kExitLeft && x < kExitRight && y > kExitTop && y < kExitBottom && x + y > kExitSum;
}

}  // namespace orvane
