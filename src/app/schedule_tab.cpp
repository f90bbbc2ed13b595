#include "app/schedule_tab.h"

#include "app/main_area_panel.h"
#include "base/prompt.h"
#include "config/config_store.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace pelvoro {
namespace {

// Years are kept as two digits, so the pickers stay within the one century they can stand for.
const QDate kFirstDate(2000, 1, 1);
const QDate kLastDate(2099, 12, 31);
const QDate kInitialDate(2006, 1, 1);
const QTime kInitialTime(12, 0, 0);
// The weekday boxes in two columns: whole labels in the narrowest window.
constexpr int kWeekdayColumns = 2;

QDateEdit *DatePicker(QWidget *parent, const char *name)
{
    auto *picker = new QDateEdit(kInitialDate, parent);
    picker->setObjectName(QLatin1String(name));
    picker->setDateRange(kFirstDate, kLastDate);
    picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    picker->setCalendarPopup(true);
    return picker;
}

QTimeEdit *TimePicker(QWidget *parent, const char *name)
{
    auto *picker = new QTimeEdit(kInitialTime, parent);
    picker->setObjectName(QLatin1String(name));
    picker->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    return picker;
}

// A stored date as the picker shows it; a day past the month's end (a file written elsewhere)
// shows as the month's last day rather than leaving the picker where it was.
QDate PickerDate(int year, int month, int day)
{
    const int y = 2000 + std::clamp(year, 0, 99);
    const int m = std::clamp(month, 1, 12);
    const int d = std::clamp(day, 1, QDate(y, m, 1).daysInMonth());
    return QDate(y, m, d);
}

QTime PickerTime(int hour, int minute, int second)
{
    return QTime(std::clamp(hour, 0, 23), std::clamp(minute, 0, 59), std::clamp(second, 0, 59));
}

} // namespace

ScheduleTab::ScheduleTab(MainAreaPanel &panel, Prompt &prompt, QWidget *parent)
    : QWidget(parent), panel_(panel), prompt_(prompt)
{
    setObjectName(QStringLiteral("TabSheetSchedule"));
    auto *layout = new QVBoxLayout(this);

    auto *modes = new QHBoxLayout;
    dateMode_ = new QRadioButton(QStringLiteral("日期设定"), this);
    weekMode_ = new QRadioButton(QStringLiteral("星期设定"), this);
    auto *modeGroup = new QButtonGroup(this);
    modeGroup->addButton(dateMode_);
    modeGroup->addButton(weekMode_);
    dateMode_->setChecked(true);
    modes->addWidget(dateMode_);
    modes->addWidget(weekMode_);
    modes->addStretch(1);
    layout->addLayout(modes);

    datePanel_ = new QWidget(this);
    auto *grid = new QGridLayout(datePanel_);
    noDateLimit_ = new QCheckBox(QStringLiteral("无日期限制"), datePanel_);
    noTimeLimit_ = new QCheckBox(QStringLiteral("无时间限制"), datePanel_);
    startDate_ = DatePicker(datePanel_, "DateStart");
    startTime_ = TimePicker(datePanel_, "TimeStart");
    endDate_ = DatePicker(datePanel_, "DateEnd");
    endTime_ = TimePicker(datePanel_, "TimeEnd");
    // Dates above times, one column of fields: the tab keeps every control whole in a narrow window.
    grid->addWidget(noDateLimit_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("起始"), datePanel_), 1, 0);
    grid->addWidget(startDate_, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("结束"), datePanel_), 2, 0);
    grid->addWidget(endDate_, 2, 1);
    grid->addWidget(noTimeLimit_, 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("起始"), datePanel_), 4, 0);
    grid->addWidget(startTime_, 4, 1);
    grid->addWidget(new QLabel(QStringLiteral("结束"), datePanel_), 5, 0);
    grid->addWidget(endTime_, 5, 1);
    layout->addWidget(datePanel_);

    weekPanel_ = new QWidget(this);
    auto *week = new QGridLayout(weekPanel_);
    static const char16_t *const kDays[] = {u"星期一", u"星期二", u"星期三", u"星期四",
                                            u"星期五", u"星期六", u"星期日"};
    for (int day = 0; day < 7; ++day) {
        auto *box = new QCheckBox(QString::fromUtf16(kDays[day]), weekPanel_);
        box->setChecked(true);
        week->addWidget(box, day / kWeekdayColumns, day % kWeekdayColumns);
        weekdays_[size_t(day)] = box;
        connect(box, &QCheckBox::clicked, this, [this, day](bool ticked) { OnWeekdayClicked(day, ticked); });
    }
    weekPanel_->hide();
    layout->addWidget(weekPanel_);

    send_ = new QPushButton(QStringLiteral("发送定时"), this);
    layout->addWidget(send_);
    layout->addStretch(1);

    connect(dateMode_, &QRadioButton::toggled, this, [this](bool dates) {
        datePanel_->setVisible(dates);
        weekPanel_->setVisible(!dates);
    });
    connect(noDateLimit_, &QCheckBox::clicked, this, &ScheduleTab::OnNoDateLimitClicked);
    connect(noTimeLimit_, &QCheckBox::clicked, this, &ScheduleTab::OnNoTimeLimitClicked);
    connect(startDate_, &QDateEdit::dateChanged, this, [this] { OnDateChanged(true); });
    connect(endDate_, &QDateEdit::dateChanged, this, [this] { OnDateChanged(false); });
    connect(startTime_, &QTimeEdit::timeChanged, this, [this] { OnTimeChanged(true); });
    connect(endTime_, &QTimeEdit::timeChanged, this, [this] { OnTimeChanged(false); });
    connect(send_, &QPushButton::clicked, this, &ScheduleTab::SendRequested);
    connect(&panel_, &MainAreaPanel::PageShown, this,
            [this](int screenIndex, int page) { ShowSchedule(screenIndex, page); });
}

void ScheduleTab::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    ShowSchedule(panel_.ListedScreen(), panel_.CurrentPage());
}

void ScheduleTab::ShowSchedule(int screenIndex, int page)
{
    if (screenIndex < 0 || page < 1 || page > kMaxScheduledPage)
        return;
    LoadSchedule(ConfigStore().Read(), screenIndex, page, record_);
    shown_ = record_;
    loading_ = true;
    noDateLimit_->setChecked(!record_.dateLimited);
    noTimeLimit_->setChecked(!record_.timeLimited);
    startTime_->setTime(PickerTime(record_.startHour, record_.startMinute, record_.startSecond));
    endTime_->setTime(PickerTime(record_.endHour, record_.endMinute, record_.endSecond));
    startDate_->setDate(PickerDate(record_.startYear, record_.startMonth, record_.startDay));
    endDate_->setDate(PickerDate(record_.endYear, record_.endMonth, record_.endDay));
    for (size_t day = 0; day < weekdays_.size(); ++day)
        weekdays_[day]->setChecked(record_.weekdays[day]);
    loading_ = false;
    EnablePickers();
}

void ScheduleTab::EnablePickers()
{
    startDate_->setEnabled(record_.dateLimited);
    endDate_->setEnabled(record_.dateLimited);
    startTime_->setEnabled(record_.timeLimited);
    endTime_->setEnabled(record_.timeLimited);
}

void ScheduleTab::OnWeekdayClicked(int day, bool ticked)
{
    record_.weekdays[size_t(day)] = ticked;
    SaveAndRelist();
}

void ScheduleTab::OnNoDateLimitClicked(bool ticked)
{
    record_.dateLimited = !ticked;
    EnablePickers();
    SaveAndRelist();
}

void ScheduleTab::OnNoTimeLimitClicked(bool ticked)
{
    record_.timeLimited = !ticked;
    EnablePickers();
    SaveAndRelist();
}

void ScheduleTab::OnDateChanged(bool start)
{
    if (loading_)
        return;
    const QDate date = (start ? startDate_ : endDate_)->date();
    (start ? record_.startYear : record_.endYear) = date.year() % 100;
    (start ? record_.startMonth : record_.endMonth) = date.month();
    (start ? record_.startDay : record_.endDay) = date.day();
    SaveAndRelist();
}

void ScheduleTab::OnTimeChanged(bool start)
{
    if (loading_)
        return;
    const QTime time = (start ? startTime_ : endTime_)->time();
    (start ? record_.startHour : record_.endHour) = time.hour();
    (start ? record_.startMinute : record_.endMinute) = time.minute();
    (start ? record_.startSecond : record_.endSecond) = time.second();
    SaveAndRelist();
}

void ScheduleTab::SaveAndRelist()
{
    const int screen = panel_.ListedScreen();
    if (screen < 0)
        return;
    // Only what the operator changed is written, onto the schedule as stored once the directory is
    // locked: another program's change of the other fields stays, and a page gone is not written.
    ConfigStore store;
    const int page = panel_.CurrentPage();
    const ScheduleEditResult edited = EditPageSchedule(store, screen, page, [&](ScheduleRecord &stored) {
        ApplyScheduleChanges(shown_, record_, stored);
    });
    if (!edited.Ok())
        prompt_.Message(edited.error, QStringLiteral("提示"), PromptIcon::Error);
    // Listing the same screen again keeps the selected page selected.
    panel_.RefreshPageList(screen);
    // What another program changed meanwhile shows too.
    if (edited.Ok() && edited.schedule != record_)
        ShowSchedule(screen, page);
    else if (edited.Ok())
        shown_ = record_;
}

} // namespace pelvoro
