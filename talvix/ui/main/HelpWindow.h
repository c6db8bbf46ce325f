#pragma once
#include "talvix/settings/HelpFile.h"

#include <QWidget>

class QLineEdit;
class QListWidget;
class QTextBrowser;

namespace talvix::ui {

// The help window: the help file's keyword index with a search field on the
// left, the chosen topic on the right. Links between topics ("#id") stay in
// the window.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* owner = nullptr);

    // Loads `path`; false when it cannot be read (the window then says so).
    bool LoadFile(const std::string& path);
    // Shows the index with `keyword` typed into the search field; the first
    // matching keyword's topic is shown.
    void ShowKeyword(const QString& keyword);
    void ShowTopic(const HelpTopic& topic);

    QLineEdit* searchField() const { return search_; }
    QListWidget* index() const { return index_; }
    QTextBrowser* browser() const { return browser_; }

private:
    void FillIndex(const QString& typed);
    void IndexChosen();

    HelpFile file_;
    QLineEdit* search_;
    QListWidget* index_;
    QTextBrowser* browser_;
};

}  // namespace talvix::ui
