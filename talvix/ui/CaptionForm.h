#pragma once
#include <string>

class QObject;
class QWidget;

namespace talvix {
class MLang;
}

namespace talvix::ui {

// The class name the caption table knows a Qt object by:
//   QAction -> TMenuItem; QMenu -> TMenuItem when it hangs in a menu bar or
//   another menu, else TPopupMenu; QToolButton -> TToolButton; QPushButton ->
//   TButton; QLabel -> TLabel; QCheckBox, QRadioButton, QGroupBox -> TCheckBox,
//   TRadioButton, TGroupBox; a page of a QTabWidget -> TTabSheet; QTabWidget ->
//   TPageControl; QComboBox -> TComboBox; QLineEdit -> TEdit; QListWidget ->
//   TListBox; QTableView -> TStringGrid; QMainWindow, QDialog -> TForm; and the
//   tables' names for the other usual widgets (which take nothing from a line).
// An object may name its class itself with the dynamic property "talvixClass"
// (for example a QAction shown as a tool button, or a QLabel that stands for
// a static text); that name wins.
std::string TableClassName(const QObject* object);

// Captions and styles every named object that `form` owns, in creation order.
// An object is owned by the nearest QMainWindow or QDialog above it (objects
// of a dialog inside `form` belong to that dialog); the owner's owner is the
// next one above `form`. Only the entry's language columns are used. The
// large-font step is taken from the screen the form is on.
void CaptionForm(const MLang& lang, QWidget* form);
// The same with the screen resolution given (pixels per inch).
void CaptionForm(const MLang& lang, QWidget* form, int dpi);

}  // namespace talvix::ui
