// CAboutDlg: the About box (dialog 100): the program's name and version, and a line that opens
// the update page in the browser.
#pragma once

#include <QDialog>

namespace tarvosk {

// The page that tells whether a newer version exists; the version goes along as a query.
inline constexpr char kUpdatePage[] = "https://tarvosk.example.org/update?ver=3.0";

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent);
};

}  // namespace tarvosk
