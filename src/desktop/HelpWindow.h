// The help window: the program's HTML help (in the "help" folder beside the program, or in
// share/tarvosk/help once installed) in a browser of its own, opened at its contents.
#pragma once

#include <QDialog>
#include <QString>

class QTextBrowser;

namespace tarvosk {

class HelpWindow : public QDialog {
  Q_OBJECT

 public:
  // Shows the one help window (creating it on first use) at the contents page.
  static HelpWindow* open(QWidget* owner);
  // The contents page, or an empty string when the help is missing.
  static QString contentsPage();
  QTextBrowser* browser() const { return browser_; }

 private:
  explicit HelpWindow(QWidget* owner);
  QTextBrowser* browser_;
};

}  // namespace tarvosk
