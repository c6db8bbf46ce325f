#pragma once
#include <string>

class QWidget;

namespace talvix {
class CProfile;
}

namespace talvix::ui {

// Window placement kept in the settings file, in the section named after the
// form (its objectName): the Qt side of talvix/settings/FormPlacement.
//
// Restores the stored place (and, for a sizeable form, the stored size) of
// `form`, or gives the default placement. Call before the form is first shown.
void RestoreWidgetPlacement(const CProfile& profile, QWidget* form, bool sizeable);
// Writes "Top", "Left", "Height" and "Width" of the form's outer rectangle.
bool SaveWidgetPlacement(CProfile& profile, const QWidget* form);

// Moves `window` so that it is centred over `over` (null or hidden: over the
// screen it is on), kept inside that screen's available area.
void CentreOver(QWidget* window, const QWidget* over);

}  // namespace talvix::ui
