#pragma once

#include "comm/schedule_record.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QDateEdit;
class QPushButton;
class QRadioButton;
class QTimeEdit;

namespace pelvoro {

class MainAreaPanel;
class Prompt;

// The "定时播放" tab of the main-area panel: the weekdays, the date window and the time window of
// the page selected in the panel's list. Every change is written to that page's schedule section
// at once and the list is rebuilt so that its summary shows it. The boxes before "无日期限制" and
// "无时间限制" read as their captions do: ticked means no limit, so they show the opposite of the
// stored window flags.
class ScheduleTab : public QWidget {
    Q_OBJECT
public:
    ScheduleTab(MainAreaPanel &panel, Prompt &prompt, QWidget *parent = nullptr);

    // Loads page k's schedule of screen s into the controls (pages outside 1..255 change nothing).
    // Runs when the tab is shown and when a page is selected in the list.
    void ShowSchedule(int screenIndex, int page);
    // The schedule being edited, as last loaded or changed.
    const ScheduleRecord &Record() const { return record_; }

    QRadioButton *DateMode() const { return dateMode_; }
    QRadioButton *WeekMode() const { return weekMode_; }
    QWidget *DatePanel() const { return datePanel_; }
    QWidget *WeekPanel() const { return weekPanel_; }
    QCheckBox *Weekday(int day) const { return weekdays_[size_t(day)]; } // 0 Monday ... 6 Sunday
    QCheckBox *NoDateLimit() const { return noDateLimit_; }
    QCheckBox *NoTimeLimit() const { return noTimeLimit_; }
    QDateEdit *StartDate() const { return startDate_; }
    QTimeEdit *StartTime() const { return startTime_; }
    QDateEdit *EndDate() const { return endDate_; }
    QTimeEdit *EndTime() const { return endTime_; }
    QPushButton *SendButton() const { return send_; }

Q_SIGNALS:
    // "发送定时": the main window checks the page list and sends the screen's schedules.
    void SendRequested();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void OnWeekdayClicked(int day, bool ticked);
    void OnNoDateLimitClicked(bool ticked);
    void OnNoTimeLimitClicked(bool ticked);
    void OnDateChanged(bool start);
    void OnTimeChanged(bool start);
    // Writes the record to the selected page's section and rebuilds the list with the page still
    // selected.
    void SaveAndRelist();
    void EnablePickers();

    MainAreaPanel &panel_;
    Prompt &prompt_;
    ScheduleRecord record_;
    ScheduleRecord shown_; // the schedule as last read or written: record_ differs in what the operator changed
    bool loading_ = false; // controls are being set from the record: their changes are not edits

    QRadioButton *dateMode_;
    QRadioButton *weekMode_;
    QWidget *datePanel_;
    QWidget *weekPanel_;
    std::array<QCheckBox *, 7> weekdays_{};
    QCheckBox *noDateLimit_;
    QCheckBox *noTimeLimit_;
    QDateEdit *startDate_;
    QTimeEdit *startTime_;
    QDateEdit *endDate_;
    QTimeEdit *endTime_;
    QPushButton *send_;
};

} // namespace pelvoro
