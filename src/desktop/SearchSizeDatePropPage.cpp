#include "desktop/SearchSizeDatePropPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <charconv>
#include <limits>

#include "desktop/ObjectIds.h"
#include "platform/Time.h"
#include "res/CommandIds.h"

namespace tarvosk {

namespace {

// The pickers show whole minutes: "from" is the start of its minute, "to" the end of its own.
FILETIME localFileTime(const QDateTime& shown, bool endOfMinute) {
  const QDate d = shown.date();
  const QTime t = shown.time();
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(d.year());
  st.wMonth = static_cast<WORD>(d.month());
  st.wDay = static_cast<WORD>(d.day());
  st.wHour = static_cast<WORD>(t.hour());
  st.wMinute = static_cast<WORD>(t.minute());
  st.wSecond = endOfMinute ? 59 : 0;
  st.wMilliseconds = endOfMinute ? 999 : 0;
  FILETIME ft{};
  SystemTimeToFileTime(&st, &ft);
  return ft;
}

QDateTime shownTime(const FILETIME& local) {
  SYSTEMTIME st{};
  FileTimeToSystemTime(&local, &st);
  return QDateTime(QDate(st.wYear, st.wMonth, st.wDay), QTime(st.wHour, st.wMinute, st.wSecond));
}

// The KB number as bytes; a number past what 64 bits hold in bytes means "more than any file".
std::uint64_t kilobytesInBytes(const QString& digits) {
  const QByteArray text = digits.toLatin1();
  std::uint64_t kb = 0;
  const auto [end, error] = std::from_chars(text.constData(), text.constData() + text.size(), kb);
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  if (error == std::errc::result_out_of_range || kb > kMax / 1024) return kMax;
  return error == std::errc() ? kb * 1024 : 0;
}

QDateTimeEdit* datePicker(unsigned id, const QDateTime& value) {
  auto* picker = new QDateTimeEdit(value);
  setObjectId(picker, id);
  picker->setDisplayFormat(QStringLiteral("yyyy/MM/dd HH:mm"));
  picker->setCalendarPopup(true);
  return picker;
}

}  // namespace

CSearchSizeDatePropPage::CSearchSizeDatePropPage(QWidget* parent) : QWidget(parent) {
  setObjectId(this, res::IDD_SEARCH_SIZE_DATE);
  sizeEnabled_ = new QCheckBox(QStringLiteral("指定大小"));
  setObjectId(sizeEnabled_, res::IDC_SEARCH_SIZE);
  atLeast_ = new QComboBox;
  setObjectId(atLeast_, res::IDC_SEARCH_AT_LEAST);
  atLeast_->addItems({QStringLiteral("最少"), QStringLiteral("最多")});
  kilobytes_ = new QLineEdit;
  setObjectId(kilobytes_, res::IDC_SEARCH_KB);
  kilobytes_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), kilobytes_));
  auto* bySize = new QGroupBox(QStringLiteral("按大小搜索"));
  auto* sizeLayout = new QGridLayout(bySize);
  sizeLayout->addWidget(sizeEnabled_, 0, 0, 1, 3);
  sizeLayout->addWidget(atLeast_, 1, 0);
  sizeLayout->addWidget(kilobytes_, 1, 1);
  sizeLayout->addWidget(new QLabel(QStringLiteral("KB")), 1, 2);
  sizeLayout->setColumnStretch(1, 1);

  dateEnabled_ = new QCheckBox(QStringLiteral("指定修改日期"));
  setObjectId(dateEnabled_, res::IDC_SEARCH_DATE);
  lastTwoDays_ = new QRadioButton(QStringLiteral("最后两天期间(&D)"));
  setObjectId(lastTwoDays_, res::IDC_SEARCH_LAST_TWO_DAYS);
  lastTwoDays_->setChecked(true);
  between_ = new QRadioButton(QStringLiteral("介于(&B)"));
  setObjectId(between_, res::IDC_SEARCH_BETWEEN);
  const QDate today = QDate::currentDate();
  from_ = datePicker(res::IDC_SEARCH_DATE_FROM, QDateTime(today, QTime(0, 0)));
  to_ = datePicker(res::IDC_SEARCH_DATE_TO, QDateTime(today, QTime(23, 59)));
  auto* byDate = new QGroupBox(QStringLiteral("按日期搜索"));
  auto* dateLayout = new QGridLayout(byDate);
  dateLayout->addWidget(dateEnabled_, 0, 0, 1, 3);
  dateLayout->addWidget(lastTwoDays_, 1, 0, 1, 3);
  dateLayout->addWidget(between_, 2, 0, 1, 3);
  dateLayout->addWidget(from_, 3, 0);
  dateLayout->addWidget(new QLabel(QStringLiteral("和")), 3, 1);
  dateLayout->addWidget(to_, 3, 2);
  dateLayout->setColumnStretch(0, 1);
  dateLayout->setColumnStretch(2, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(bySize);
  layout->addWidget(byDate);
  layout->addStretch();
  for (QAbstractButton* button : {static_cast<QAbstractButton*>(sizeEnabled_), static_cast<QAbstractButton*>(dateEnabled_),
                                  static_cast<QAbstractButton*>(lastTwoDays_), static_cast<QAbstractButton*>(between_)})
    connect(button, &QAbstractButton::clicked, this, &CSearchSizeDatePropPage::updateEnabling);
  updateEnabling();
}

void CSearchSizeDatePropPage::updateEnabling() {
  atLeast_->setEnabled(sizeEnabled_->isChecked());
  kilobytes_->setEnabled(sizeEnabled_->isChecked());
  lastTwoDays_->setEnabled(dateEnabled_->isChecked());
  between_->setEnabled(dateEnabled_->isChecked());
  from_->setEnabled(dateEnabled_->isChecked() && between_->isChecked());
  to_->setEnabled(dateEnabled_->isChecked() && between_->isChecked());
}

void CSearchSizeDatePropPage::confirm(SearchCriteria& criteria) {
  criteria.atLeast = atLeast_->currentIndex() == 0;
  criteria.sizeEnabled = sizeEnabled_->isChecked();
  criteria.sizeLimit = kilobytesInBytes(kilobytes_->text());
  criteria.dateEnabled = dateEnabled_->isChecked();
  if (lastTwoDays_->isChecked()) {
    setLastTwoDays(criteria);
    from_->setDateTime(shownTime(criteria.dateFrom));
    to_->setDateTime(shownTime(criteria.dateTo));
    return;
  }
  criteria.dateFrom = localFileTime(from_->dateTime(), false);
  criteria.dateTo = localFileTime(to_->dateTime(), true);
}

}  // namespace tarvosk
