#pragma once
#include <vector>

namespace orvane {

// The launcher menu's focus, key and mouse rules, without any window.
//
// Items 1..3 are the suite's programs, 4..6 the title-screen actions. The
// focus value may leave 1..6 through the keys (Left from nothing gives -1);
// such a value shows nothing and plays nothing.
class MenuModel {
public:
    static constexpr int kItems = 6;

    // Virtual-key codes the key table is written in.
    enum Key {
        VK_BACK = 8,
        VK_RETURN = 13,
        VK_ESCAPE = 27,
        VK_SPACE = 32,
        VK_LEFT = 37,
        VK_UP = 38,
        VK_RIGHT = 39,
        VK_DOWN = 40,
    };

    // What a focus change asks the window to do.
    struct FocusChange {
        bool changed = false;  // false: same item again, nothing to do
        int hideItem = 0;      // hover picture to hide (0 or outside 1..6: none)
        int showItem = 0;      // hover and description to show (0: none)
        int sound = 0;         // 1 for "FOCUS1", 2 for "FOCUS2", 0 for none
    };

    enum class KeyCommand { None, Close, Launch, Focus };
    struct KeyResult {
        KeyCommand command = KeyCommand::None;
        int item = 0;  // Launch: the item to launch; Focus: the item to focus
    };

    int focusItem() const { return focusItem_; }

    // Moves the focus to n and says what changed on screen.
    FocusChange SetFocusItem(int n);

    // The items whose mouse zone holds the panel point (x, y), in the order
    // their zones are tested. Bounds are exclusive.
    static std::vector<int> ZonesAt(int x, int y);

    // The key table, applied to the current focus. Does not move the focus:
    // the caller calls SetFocusItem with the result.
    KeyResult OnKey(int vk) const;

    static bool IsValidItem(int n) { return n >= 1 && n <= kItems; }
    // 1 ("FOCUS1") for the programs, 2 ("FOCUS2") for the title actions.
    static int SoundOf(int n) { return !IsValidItem(n) ? 0 : (n <= 3 ? 1 : 2); }

    // A click on the description picture in panel coordinates.
    static int TextToPanelX(int x) { return x + 387; }
    static int TextToPanelY(int y) { return y + 239; }
    // The Quit corner: the lower-right triangle of the description area,
    // kExitLeft < x < kExitRight, kExitTop < y < kExitBottom, x + y > kExitSum.
    static constexpr int kExitLeft = 528;
    static constexpr int kExitRight = 609;
    static constexpr int kExitTop = 376;
    static constexpr int kExitBottom = 451;
    static constexpr int kExitSum = 970;
    static bool IsExitPoint(int x, int y);

private:
    int focusItem_ = 0;
};

}  // namespace orvane
