#include "cli_command.h"
#include "screen_command.h"

#include "comm/schedule_record.h"
#include "config/config_store.h"
#include "pages/data_files.h"

#include <QDate>
#include <QTime>

// schedule: a main-area page's playback schedule as the "定时播放" tab shows and edits it, through
// the same load and save as the tab.
namespace pelvoro::cli {

namespace {

// The tab's date pickers: years are stored as two digits, so 2000..2099.
const QDate kFirstDate(2000, 1, 1);
const QDate kLastDate(2099, 12, 31);

QString Json(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString Quoted(const QString &text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString DateText(int year, int month, int day)
{
    return QStringLiteral("%1-%2-%3")
        .arg(2000 + year)
        .arg(month, 2, 10, QLatin1Char('0'))
        .arg(day, 2, 10, QLatin1Char('0'));
}

QString TimeText(int hour, int minute, int second)
{
    return QStringLiteral("%1:%2:%3")
        .arg(hour, 2, 10, QLatin1Char('0'))
        .arg(minute, 2, 10, QLatin1Char('0'))
        .arg(second, 2, 10, QLatin1Char('0'));
}

QString ScheduleJson(int index, int page, const ScheduleRecord &r)
{
    QStringList days;
    for (size_t day = 0; day < r.weekdays.size(); ++day) {
        if (r.weekdays[day])
            days << QString::number(day + 1);
    }
    // The boxes before "无日期限制" and "无时间限制": true = not limited, the opposite of the stored flags.
    return QStringLiteral(R"({"screen": %1, "page": %2, "scheduled": %3, "weekdays": [%4], "noDateLimit": %5, )"
                          R"("noTimeLimit": %6, "startDate": "%7", "startTime": "%8", "endDate": "%9", )"
                          R"("endTime": "%10", "kind": %11, "summary": %12})")
        .arg(index + 1)
        .arg(page)
        .arg(Json(r.HasSchedule()), days.join(QStringLiteral(", ")), Json(!r.dateLimited), Json(!r.timeLimited),
             DateText(r.startYear, r.startMonth, r.startDay), TimeText(r.startHour, r.startMinute, r.startSecond),
             DateText(r.endYear, r.endMonth, r.endDay))
        .arg(TimeText(r.endHour, r.endMinute, r.endSecond))
        .arg(r.kind)
        .arg(Quoted(ScheduleSummary(r)));
}

int TakePage(CliArgs &args)
{
    const auto page = args.TakeIntOption(QStringLiteral("--page"));
    if (!page)
        throw UsageError{QStringLiteral("--page P is required")};
    if (*page < 1 || *page > kMaxScheduledPage)
        throw UsageError{QStringLiteral("--page takes a page number from 1 to %1").arg(kMaxScheduledPage)};
    return *page;
}

std::optional<bool> TakeBool(CliArgs &args, const QString &name)
{
    const auto text = args.TakeOption(name);
    if (!text)
        return std::nullopt;
    if (*text == QLatin1String("true") || *text == QLatin1String("yes") || *text == QLatin1String("1"))
        return true;
    if (*text == QLatin1String("false") || *text == QLatin1String("no") || *text == QLatin1String("0"))
        return false;
    throw UsageError{name + QStringLiteral(" takes true or false")};
}

std::optional<std::array<bool, 7>> TakeWeekdays(CliArgs &args)
{
    const auto text = args.TakeOption(QStringLiteral("--weekdays"));
    if (!text)
        return std::nullopt;
    std::array<bool, 7> days{};
    if (*text == QLatin1String("none"))
        return days;
    for (const QString &part : text->split(QLatin1Char(','))) {
        bool ok = false;
        const int day = part.trimmed().toInt(&ok);
        if (!ok || day < 1 || day > 7)
            throw UsageError{
                QStringLiteral("--weekdays takes day numbers 1 (Monday) to 7 (Sunday), e.g. 1,5, or none")};
        days[size_t(day - 1)] = true;
    }
    return days;
}

std::optional<QDate> TakeDate(CliArgs &args, const QString &name)
{
    const auto text = args.TakeOption(name);
    if (!text)
        return std::nullopt;
    const QDate date = QDate::fromString(*text, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid() || date < kFirstDate || date > kLastDate)
        throw UsageError{name + QStringLiteral(" takes a date YYYY-MM-DD from 2000-01-01 to 2099-12-31")};
    return date;
}

std::optional<QTime> TakeTime(CliArgs &args, const QString &name)
{
    const auto text = args.TakeOption(name);
    if (!text)
        return std::nullopt;
    const QTime time = QTime::fromString(*text, QStringLiteral("HH:mm:ss"));
    if (!time.isValid())
        throw UsageError{name + QStringLiteral(" takes a time HH:MM:SS")};
    return time;
}

// The page must be in the screen's page list, as it is for the tab.
int CheckListed(int index, int page)
{
    LoadScreen(index);
    const int pages = StoredPageCount(index);
    if (page > pages) {
        Err(QStringLiteral("there is no page %1: screen %2 lists %3 page(s)").arg(page).arg(index + 1).arg(pages));
        return kRefused;
    }
    return kOk;
}

int RunShow(CliArgs &args)
{
    const int index = args.TakeScreen();
    const int page = TakePage(args);
    args.NoMoreArguments();
    if (const int refused = CheckListed(index, page))
        return refused;
    Out(ScheduleJson(index, page, ReadStoredSchedule(ConfigStore().Read(), index, page)));
    return kOk;
}

int RunSet(CliArgs &args)
{
    const int index = args.TakeScreen();
    const int page = TakePage(args);
    const auto weekdays = TakeWeekdays(args);
    const auto noDateLimit = TakeBool(args, QStringLiteral("--no-date-limit"));
    const auto noTimeLimit = TakeBool(args, QStringLiteral("--no-time-limit"));
    const auto startDate = TakeDate(args, QStringLiteral("--start-date"));
    const auto startTime = TakeTime(args, QStringLiteral("--start-time"));
    const auto endDate = TakeDate(args, QStringLiteral("--end-date"));
    const auto endTime = TakeTime(args, QStringLiteral("--end-time"));
    args.NoMoreArguments();
    LoadScreen(index);

    const auto setDate = [](const std::optional<QDate> &date, int &year, int &month, int &day) {
        if (date) {
            year = date->year() % 100;
            month = date->month();
            day = date->day();
        }
    };
    const auto setTime = [](const std::optional<QTime> &time, int &hour, int &minute, int &second) {
        if (time) {
            hour = time->hour();
            minute = time->minute();
            second = time->second();
        }
    };
    // Only the fields given change, on the schedule as it is stored once the directory is locked.
    ConfigStore store;
    const ScheduleEditResult edited = EditPageSchedule(store, index, page, [&](ScheduleRecord &r) {
        if (weekdays)
            r.weekdays = *weekdays;
        if (noDateLimit)
            r.dateLimited = !*noDateLimit;
        if (noTimeLimit)
            r.timeLimited = !*noTimeLimit;
        setDate(startDate, r.startYear, r.startMonth, r.startDay);
        setTime(startTime, r.startHour, r.startMinute, r.startSecond);
        setDate(endDate, r.endYear, r.endMonth, r.endDay);
        setTime(endTime, r.endHour, r.endMinute, r.endSecond);
    });
    if (!edited.Ok()) {
        Err(edited.error);
        return kRefused;
    }
    const ScheduleRecord &r = edited.schedule;
    Out(ScheduleJson(index, page, r));
    return kOk;
}

int RunSchedule(CliArgs &args)
{
    return RunSubCommand(args, {{"show", RunShow}, {"set", RunSet}});
}

} // namespace

PELVORO_CLI_COMMAND(CliCommand{
    QStringLiteral("schedule"),
    QStringLiteral("show and change a main-area page's playback schedule (the \"定时播放\" tab)"),
    QStringLiteral(
        "usage: pelvoro-cli [--dir DIR] schedule show|set --screen K --page P [options]\n\n"
        "  schedule show --screen K --page P\n"
        "      {\"screen\": K, \"page\": P, \"scheduled\": true|false, \"weekdays\": [1, 5],\n"
        "       \"noDateLimit\": B, \"noTimeLimit\": B, \"startDate\": \"2024-03-05\", \"startTime\": \"08:00:00\",\n"
        "       \"endDate\": \"2024-12-31\", \"endTime\": \"18:30:00\", \"kind\": N, \"summary\": \"...\"}\n"
        "  schedule set --screen K --page P [--weekdays 1,5|none] [--no-date-limit true|false]\n"
        "               [--no-time-limit true|false] [--start-date YYYY-MM-DD] [--start-time HH:MM:SS]\n"
        "               [--end-date YYYY-MM-DD] [--end-time HH:MM:SS]\n"
        "      changes the given fields, writes only the keys that differ and prints the schedule as show.\n\n"
        "The keys mean what the tab's controls show: weekdays are the ticked boxes 星期一..星期日 as 1..7;\n"
        "noDateLimit and noTimeLimit are the boxes \"无日期限制\" and \"无时间限制\" (true: the page is not\n"
        "limited by dates or times, and the pickers of that window do not count). Dates go from 2000-01-01\n"
        "to 2099-12-31 (the year is stored as two digits). summary is the page list's text. A page that is\n"
        "not in the screen's page list is refused with exit 1. \"发送定时\" is `send schedule`.\n"),
    RunSchedule,
});

} // namespace pelvoro::cli
