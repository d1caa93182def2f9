// CSearchPropSheet: the search command's sheet "查找已删除的文件" with its three pages (name and
// folder, size and date, content). "立即查找" confirms it; there is no Apply.
#pragma once

#include <QDialog>
#include <string>

#include "search/SearchCriteria.h"

class QTabWidget;

namespace tarvosk {

class CSearchContentPropPage;
class CSearchNamePropPage;
class CSearchSizeDatePropPage;
class DriveFileList;

class CSearchPropSheet : public QDialog {
  Q_OBJECT

 public:
  // lookIn: the initial look-in path; drive: the searched drive's list (null: never scanned).
  CSearchPropSheet(const std::u16string& lookIn, DriveFileList* drive, const std::u16string& drivePath,
                   QWidget* parent);
  void accept() override;
  QTabWidget* pages() const { return pages_; }

  // What the confirmed sheet asks for.
  const std::u16string& namePattern() const { return namePattern_; }
  const std::u16string& lookIn() const { return lookIn_; }
  const SearchCriteria& criteria() const { return criteria_; }

 private:
  QTabWidget* pages_;
  CSearchNamePropPage* name_;
  CSearchSizeDatePropPage* sizeDate_;
  CSearchContentPropPage* content_;
  std::u16string namePattern_;
  std::u16string lookIn_;
  SearchCriteria criteria_;
};

}  // namespace tarvosk
