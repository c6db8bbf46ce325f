#pragma once
#include <QPainterPath>
#include <QPixmap>
#include <QRect>

namespace orvane {

// The launcher's pictures, drawn by our own code at the sizes the menu needs:
// the 640x480 menu, one hover picture per item (the item's button lit up,
// drawn over the same background so that it fits the menu exactly), the
// description pictures, the pressed Quit corner and the maker logo.
class MenuArt {
public:
    static constexpr int kPanelWidth = 640;
    static constexpr int kPanelHeight = 480;
    static constexpr int kTextLeft = 384;  // the description area on the panel
    static constexpr int kTextTop = 239;

    // Where each item's hover picture sits on the panel, and its size (items 1..6).
    static QRect HoverRect(int item);

    static QPixmap MenuPicture();            // 640x480
    static QPixmap HoverPicture(int item);   // HoverRect(item).size()
    // Item 1..6, or 0 for the picture shown before anything is focused; 231x214.
    static QPixmap DescriptionPicture(int item);
    static QPixmap ExitPicture();            // 259x255, the Quit corner pressed
    static QPixmap MakerLogo();              // 79x32

    // The red Quit corner in description-picture coordinates: the points
    // whose click on the description area quits the menu.
    static QPainterPath QuitCornerPath();
};

}  // namespace orvane
