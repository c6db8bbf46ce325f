#include "talvix/ui/CaptionForm.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

#include "talvix/settings/MLang.h"

namespace talvix::ui {
namespace {

bool IsForm(const QObject* object) {
  return qobject_cast<const QMainWindow*>(object) != nullptr ||
         qobject_cast<const QDialog*>(object) != nullptr;
}

// The nearest form above `object` (not `object` itself), or null.
QObject* OwningForm(const QObject* object) {
  for (QObject* p = object->parent(); p != nullptr; p = p->parent()) {
    if (IsForm(p)) {
      return p;
    }
  }
  return nullptr;
}

// The tab widget and index when `widget` is one of its pages.
QTabWidget* TabOfPage(const QWidget* widget, int* index) {
  auto* stack = qobject_cast<QStackedWidget*>(widget->parentWidget());
  auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
  if (tabs == nullptr) {
    return nullptr;
  }
  *index = tabs->indexOf(const_cast<QWidget*>(widget));
  return *index >= 0 ? tabs : nullptr;
}

bool IsSubmenu(const QMenu* menu) {
  for (const QObject* user : menu->menuAction()->associatedObjects()) {
    if (qobject_cast<const QMenuBar*>(user) || qobject_cast<const QMenu*>(user)) {
      return true;
    }
  }
  return false;
}

void SetCaption(QObject* object, const QString& text) {
  if (auto* action = qobject_cast<QAction*>(object)) {
    action->setText(text);
  } else if (auto* menu = qobject_cast<QMenu*>(object)) {
    menu->setTitle(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(object)) {
    button->setText(text);
  } else if (auto* label = qobject_cast<QLabel*>(object)) {
    label->setTextFormat(Qt::PlainText);  // table texts are never markup
    label->setText(text);
  } else if (auto* group = qobject_cast<QGroupBox*>(object)) {
    group->setTitle(text);
  } else if (auto* widget = qobject_cast<QWidget*>(object)) {
    int index = -1;
    if (QTabWidget* tabs = TabOfPage(widget, &index)) {
      tabs->setTabText(index, text);
    }
  }
}

void SetHint(QObject* object, const QString& text) {
  if (auto* action = qobject_cast<QAction*>(object)) {
    action->setToolTip(text);
  } else if (auto* widget = qobject_cast<QWidget*>(object)) {
    widget->setToolTip(text);
  }
}

void ApplyFont(QObject* object, const FontChange& change) {
  auto* widget = qobject_cast<QWidget*>(object);
  if (widget == nullptr || !(change.setFace || change.setSize || change.setBold)) {
    return;
  }
  QFont font = widget->font();
  if (change.setFace) {
    // Qt fonts are Unicode: the character set needs no setting of its own.
    font.setFamilies({QString::fromStdString(change.face)});
  }
  if (change.setSize && change.size > 0) {
    // A size of 0 or less is no font size; the control keeps its own.
    font.setPointSize(change.size);
  }
  if (change.setBold) {
    font.setBold(change.bold);
  }
  widget->setFont(font);
}

}  // namespace

std::string TableClassName(const QObject* object) {
  if (object == nullptr) {
    return std::string();
  }
  const QVariant own = object->property("talvixClass");
  if (own.isValid()) {
    return own.toString().toStdString();
  }
  if (qobject_cast<const QAction*>(object)) return "TMenuItem";
  if (auto* menu = qobject_cast<const QMenu*>(object)) {
    return IsSubmenu(menu) ? "TMenuItem" : "TPopupMenu";
  }
  if (qobject_cast<const QMenuBar*>(object)) return "TMainMenu";
  if (IsForm(object)) return "TForm";
  if (qobject_cast<const QToolButton*>(object)) return "TToolButton";
  if (qobject_cast<const QPushButton*>(object)) return "TButton";
  if (qobject_cast<const QCheckBox*>(object)) return "TCheckBox";
  if (qobject_cast<const QRadioButton*>(object)) return "TRadioButton";
  if (qobject_cast<const QLabel*>(object)) return "TLabel";
  if (qobject_cast<const QGroupBox*>(object)) return "TGroupBox";
  if (qobject_cast<const QTabWidget*>(object)) return "TPageControl";
  if (qobject_cast<const QComboBox*>(object)) return "TComboBox";
  if (qobject_cast<const QLineEdit*>(object)) return "TEdit";
  if (qobject_cast<const QListWidget*>(object)) return "TListBox";
  if (qobject_cast<const QTableView*>(object)) return "TStringGrid";
  if (qobject_cast<const QTreeView*>(object)) return "TTreeView";
  if (qobject_cast<const QListView*>(object)) return "TListView";
  if (qobject_cast<const QPlainTextEdit*>(object) || qobject_cast<const QTextEdit*>(object)) {
    return "TMemo";
  }
  if (qobject_cast<const QSpinBox*>(object)) return "TCSpinEdit";
  if (qobject_cast<const QStatusBar*>(object)) return "TStatusBar";
  if (qobject_cast<const QToolBar*>(object)) return "TToolBar";
  if (qobject_cast<const QSplitter*>(object)) return "TSplitter";
  if (qobject_cast<const QProgressBar*>(object)) return "TProgressBar";
  if (qobject_cast<const QTimer*>(object)) return "TTimer";
  if (auto* widget = qobject_cast<const QWidget*>(object)) {
    int index = -1;
    if (TabOfPage(widget, &index)) return "TTabSheet";
  }
  return std::string();
}

void CaptionForm(const MLang& lang, QWidget* form) {
  int dpi = 96;
  if (form != nullptr && form->screen() != nullptr) {
    dpi = static_cast<int>(form->screen()->logicalDotsPerInchY() + 0.5);
  }
  CaptionForm(lang, form, dpi);
}

void CaptionForm(const MLang& lang, QWidget* form, int dpi) {
  if (form == nullptr) {
    return;
  }
  const int largeFonts = MLang::LargeFontsFor(dpi);
  const std::string formName = form->objectName().toStdString();
  const QObject* formOwner = OwningForm(form);
  const std::string ownerOwnerName = formOwner ? formOwner->objectName().toStdString() : "";

  for (QObject* object : form->findChildren<QObject*>()) {
    if (object->objectName().isEmpty() || OwningForm(object) != form) {
      continue;  // Qt's own helpers, or another form's controls
    }
    const std::string name = object->objectName().toStdString();
    const std::string className = TableClassName(object);
    const int index = lang.FindCaption(ComponentRef{name, className, formName, ownerOwnerName});
    if (index < 0) {
      continue;
    }
    const CaptionEntry& entry = lang.Captions()[static_cast<std::size_t>(index)];
    const CaptionUse use = MLang::UseFor(className, entry.styleKey);
    const QString text = QString::fromStdString(entry.text);
    if (use.setHint) {
      SetHint(object, text);
    }
    if (use.setCaption) {
      SetCaption(object, text);
    }
    if (use.applyStyle) {
      ApplyFont(object, lang.StyleFont(lang.FindStyle(entry.styleKey), largeFonts));
    }
  }
}

}  // namespace talvix::ui
