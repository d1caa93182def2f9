// CSearchSizeDatePropPage (dialog 224), the search sheet's "大小和日期" page: a size bound in KB
// ("最少" strictly more, "最多" at most) and a range of modification dates (the last two days, or
// between two pickers). Each control is enabled only while the choice it belongs to is made.
#pragma once

#include <QWidget>

#include "search/SearchCriteria.h"

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLineEdit;
class QRadioButton;

namespace tarvosk {

class CSearchSizeDatePropPage : public QWidget {
  Q_OBJECT

 public:
  explicit CSearchSizeDatePropPage(QWidget* parent = nullptr);
  // The sheet is confirmed: "最后两天期间" sets the pickers to the last 48 hours; then the size and
  // date criteria are read from the controls.
  void confirm(SearchCriteria& criteria);

 private:
  void updateEnabling();

  QCheckBox* sizeEnabled_;
  QComboBox* atLeast_;
  QLineEdit* kilobytes_;
  QCheckBox* dateEnabled_;
  QRadioButton* lastTwoDays_;
  QRadioButton* between_;
  QDateTimeEdit* from_;
  QDateTimeEdit* to_;
};

}  // namespace tarvosk
