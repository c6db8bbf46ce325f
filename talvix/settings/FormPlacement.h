#pragma once
#include <optional>
#include <string>

namespace talvix {

class CProfile;

// A window's outer rectangle on the screen, in pixels.
struct FormGeometry {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const FormGeometry&) const = default;
};

// The desktop work area (the screen less panels and task bars); right and
// bottom are the first pixel outside it.
struct WorkArea {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The placement keys of a form's section as read; a missing key is empty.
struct StoredPlacement {
    std::optional<int> top;
    std::optional<int> left;
    std::optional<int> width;
    std::optional<int> height;
};

// Where a form goes when it is created. `current` is the form's size and
// place as designed; only sizeable forms take a stored size. A stored
// top-left corner above or left of the work area is moved onto its edge;
// one below or right of it, a missing key or a negative size gives the
// default: sizeable forms get half the screen size, and the form is centred
// on the whole screen.
FormGeometry PlaceForm(const StoredPlacement& stored, bool sizeable, const FormGeometry& current,
                       const WorkArea& workArea, int screenWidth, int screenHeight);

// Reads "Top", "Left" and, for a sizeable form, "Width" and "Height" from the
// section named after the form.
StoredPlacement ReadFormPlacement(const CProfile& profile, const std::string& formName, bool sizeable);

// ReadFormPlacement and PlaceForm in one.
FormGeometry RestoreFormPlacement(const CProfile& profile, const std::string& formName, bool sizeable,
                                  const FormGeometry& current, const WorkArea& workArea, int screenWidth,
                                  int screenHeight);

// Writes "Top", "Left", "Height" and "Width", in this order, for every form.
bool SaveFormPlacement(CProfile& profile, const std::string& formName, const FormGeometry& geometry);

}  // namespace talvix
