#include "talvix/settings/FormPlacement.h"

#include "talvix/settings/CProfile.h"

namespace talvix {

namespace {

FormGeometry DefaultPlacement(bool sizeable, FormGeometry form, int screenWidth, int screenHeight)
{
    if (sizeable) {
        form.height = screenHeight / 2;
        form.width = screenWidth / 2;
    }
    // C++ division truncates toward zero, as the placement rule asks.
    form.top = (screenHeight - form.height) / 2;
    form.left = (screenWidth - form.width) / 2;
    return form;
}

}  // namespace

FormGeometry PlaceForm(const StoredPlacement& stored, bool sizeable, const FormGeometry& current,
                       const WorkArea& workArea, int screenWidth, int screenHeight)
{
    if (!stored.top || !stored.left)
        return DefaultPlacement(sizeable, current, screenWidth, screenHeight);
    FormGeometry form = current;
    if (sizeable) {
        if (!stored.width || !stored.height || *stored.width < 0 || *stored.height < 0)
            return DefaultPlacement(sizeable, current, screenWidth, screenHeight);
        form.width = *stored.width;
        form.height = *stored.height;
    }
    int top = *stored.top;
    if (top < workArea.top)
        top = workArea.top;
    else if (top > workArea.bottom)
        return DefaultPlacement(sizeable, form, screenWidth, screenHeight);
    int left = *stored.left;
    if (left < workArea.left)
        left = workArea.left;
    else if (left > workArea.right)
        return DefaultPlacement(sizeable, form, screenWidth, screenHeight);
    form.top = top;
    form.left = left;
    return form;
}

StoredPlacement ReadFormPlacement(const CProfile& profile, const std::string& formName, bool sizeable)
{
    StoredPlacement stored;
    int value = 0;
    if (!profile.ReadInt(formName, "Top", value))
        return stored;
    stored.top = value;
    if (!profile.ReadInt(formName, "Left", value))
        return stored;
    stored.left = value;
    if (!sizeable)
        return stored;
    if (profile.ReadInt(formName, "Width", value))
        stored.width = value;
    if (profile.ReadInt(formName, "Height", value))
        stored.height = value;
    return stored;
}

FormGeometry RestoreFormPlacement(const CProfile& profile, const std::string& formName, bool sizeable,
                                  const FormGeometry& current, const WorkArea& workArea, int screenWidth,
                                  int screenHeight)
{
    return PlaceForm(ReadFormPlacement(profile, formName, sizeable), sizeable, current, workArea, screenWidth,
                     screenHeight);
}

bool SaveFormPlacement(CProfile& profile, const std::string& formName, const FormGeometry& geometry)
{
    bool ok = profile.WriteInt(formName, "Top", geometry.top);
    ok = profile.WriteInt(formName, "Left", geometry.left) && ok;
    ok = profile.WriteInt(formName, "Height", geometry.height) && ok;
    ok = profile.WriteInt(formName, "Width", geometry.width) && ok;
    return ok;
}

}  // namespace talvix
