// CSearchContentPropPage (dialog 225), the search sheet's "内容" page: a text (with or without
// regard to case) or a string of hex digits that a file's data must hold. Only the chosen
// mode's edit box is enabled; an empty text means no content test.
#pragma once

#include <QWidget>

#include "search/SearchCriteria.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace tarvosk {

class CSearchContentPropPage : public QWidget {
  Q_OBJECT

 public:
  explicit CSearchContentPropPage(QWidget* parent = nullptr);
  void confirm(SearchCriteria& criteria) const;

 private:
  // Enables the chosen mode's controls and moves the focus to its edit box.
  void chooseMode(bool hex);

  QRadioButton* textMode_;
  QLineEdit* text_;
  QCheckBox* matchCase_;
  QRadioButton* hexMode_;
  QLineEdit* hex_;
};

}  // namespace tarvosk
