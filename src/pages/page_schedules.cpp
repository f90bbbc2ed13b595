#include "pages/page_schedules.h"

#include "base/directory_lock.h"
#include "base/gbk.h"
#include "config/config_store.h"
#include "config/ini_document.h"
#include "config/schedule_sections.h"
#include "pages/data_files.h"

namespace pelvoro {
namespace {

// The keys in the order they are written. `fallback` is what a missing key loads as;
// `heldFallback` what it counts as when deciding whether a value has to be written.
struct Field {
    const char16_t *key;
    int StoredSchedule::*number = nullptr;
    bool StoredSchedule::*flag = nullptr;
    int weekday = -1;
    int fallback = 0;
    int heldFallback = 0;
};

const std::array<Field, 22> kFields = {{
    {u"有效类型", &StoredSchedule::kind},
    {u"开始周1", nullptr, nullptr, 0},
    {u"开始周2", nullptr, nullptr, 1},
    {u"开始周3", nullptr, nullptr, 2},
    {u"开始周4", nullptr, nullptr, 3},
    {u"开始周5", nullptr, nullptr, 4},
    {u"开始周6", nullptr, nullptr, 5},
    {u"开始周7", nullptr, nullptr, 6},
    {u"无日期限制", nullptr, &StoredSchedule::dateLimited},
    {u"无时间限制", nullptr, &StoredSchedule::timeLimited},
    {u"开始年", &StoredSchedule::startYear, nullptr, -1, 6, 6},
    {u"开始月", &StoredSchedule::startMonth, nullptr, -1, 1, 0},
    {u"开始日", &StoredSchedule::startDay, nullptr, -1, 1, 0},
    {u"开始时", &StoredSchedule::startHour},
    {u"开始分", &StoredSchedule::startMinute},
    {u"开始秒", &StoredSchedule::startSecond},
    {u"结束年", &StoredSchedule::endYear, nullptr, -1, 6, 6},
    {u"结束月", &StoredSchedule::endMonth, nullptr, -1, 1, 0},
    {u"结束日", &StoredSchedule::endDay, nullptr, -1, 1, 0},
    {u"结束时", &StoredSchedule::endHour},
    {u"结束分", &StoredSchedule::endMinute},
    {u"结束秒", &StoredSchedule::endSecond},
}};

template <typename Fn>
void ForEachField(Fn &&fn)
{
    for (const Field &field : kFields)
        fn(field);
}

int Get(const StoredSchedule &s, const Field &field)
{
    if (field.number)
        return s.*field.number;
    if (field.flag)
        return s.*field.flag ? 1 : 0;
    return s.weekdays[size_t(field.weekday)] ? 1 : 0;
}

void Set(StoredSchedule &s, const Field &field, int value)
{
    if (field.number)
        s.*field.number = value;
    else if (field.flag)
        s.*field.flag = value != 0;
    else
        s.weekdays[size_t(field.weekday)] = value != 0;
}

bool IsNumber(const Field &field)
{
    return field.number != nullptr;
}

// Reads every field, missing (or unreadable) keys taking `fallbackOf(field)`.
template <typename Fallback>
StoredSchedule ReadFields(const IniDocument &doc, const QByteArray &section, Fallback fallbackOf)
{
    StoredSchedule s;
    ForEachField([&](const Field &field) {
        const auto raw = doc.Value(section, ToGbk(QString::fromUtf16(field.key)));
        const auto value = raw ? ParseIniInt(*raw) : std::nullopt;
        Set(s, field, value.value_or(fallbackOf(field)));
    });
    return s;
}

bool InRange(int page)
{
    return page >= 1 && page <= kMaxScheduledPage;
}

QString TwoDigits(int value)
{
    return (value < 10 ? QStringLiteral("0") : QString()) + QString::number(value);
}

} // namespace

bool StoredSchedule::HasSchedule() const
{
    if (dateLimited || timeLimited)
        return true;
    for (bool day : weekdays) {
        if (day)
            return true;
    }
    return false;
}

StoredSchedule ReadStoredSchedule(const IniDocument &doc, int screenIndex, int page)
{
    if (!InRange(page))
        return {};
    return ReadFields(doc, ToGbk(ScheduleSectionName(screenIndex, page)),
                      [](const Field &field) { return field.fallback; });
}

bool WriteStoredSchedule(IniDocument &doc, int screenIndex, int page, const StoredSchedule &schedule)
{
    if (!InRange(page))
        return false;
    const QByteArray section = ToGbk(ScheduleSectionName(screenIndex, page));
    const StoredSchedule held = ReadFields(doc, section, [](const Field &field) { return field.heldFallback; });
    bool changed = false;
    ForEachField([&](const Field &field) {
        const int value = Get(schedule, field);
        if (value == Get(held, field))
            return;
        // Numbers as decimal text, booleans as the store writes them.
        const QByteArray text = IsNumber(field) ? QByteArray::number(value) : QByteArray(value ? "1" : "0");
        changed |= doc.SetValue(section, ToGbk(QString::fromUtf16(field.key)), text);
    });
    return changed;
}

bool ShiftSchedulesForDeletedPage(IniDocument &doc, int screenIndex, int page, int count)
{
    if (!InRange(page))
        return false;
    bool changed = false;
    if (page < count) {
        for (int j = page; j <= count - 1 && j + 1 <= kMaxScheduledPage; ++j)
            changed |= WriteStoredSchedule(doc, screenIndex, j, ReadStoredSchedule(doc, screenIndex, j + 1));
        changed |= doc.RemoveSection(ToGbk(ScheduleSectionName(screenIndex, count)));
    } else {
        changed |= doc.RemoveSection(ToGbk(ScheduleSectionName(screenIndex, page)));
    }
    return changed;
}

QString ScheduleSummary(const StoredSchedule &s)
{
    QString text;
    if (s.dateLimited) {
        text += QStringLiteral("从") + TwoDigits(s.startYear) + QLatin1Char('-') + TwoDigits(s.startMonth)
                + QLatin1Char('-') + TwoDigits(s.startDay) + QLatin1Char(' ');
    }
    if (s.timeLimited) {
        if (!s.dateLimited)
            text += QStringLiteral("从");
        text += TwoDigits(s.startHour) + QLatin1Char(':') + TwoDigits(s.startMinute) + QLatin1Char(':')
                + TwoDigits(s.startSecond) + QStringLiteral(" 到 ");
    }
    if (s.dateLimited) {
        if (!s.timeLimited)
            text += QStringLiteral(" 到 ");
        text += TwoDigits(s.endYear) + QLatin1Char('-') + TwoDigits(s.endMonth) + QLatin1Char('-') + TwoDigits(s.endDay)
                + QLatin1Char(' ');
    }
    if (s.timeLimited) {
        text += TwoDigits(s.endHour) + QLatin1Char(':') + TwoDigits(s.endMinute) + QLatin1Char(':')
                + TwoDigits(s.endSecond);
    }
    static const char16_t *const kDays[] = {u"周一", u"周二", u"周三", u"周四", u"周五", u"周六", u"周日"};
    bool anyDay = false;
    for (bool day : s.weekdays)
        anyDay |= day;
    if (anyDay) {
        if (s.dateLimited || s.timeLimited)
            text += QLatin1Char(' ');
        for (size_t i = 0; i < s.weekdays.size(); ++i) {
            if (s.weekdays[i])
                text += QString::fromUtf16(kDays[i]);
        }
    }
    return text;
}

PageListNode MakePageListNode(int page, const StoredSchedule &schedule)
{
    PageListNode node;
    node.text = QStringLiteral("数据页") + QString::number(page);
    node.scheduled = schedule.HasSchedule();
    if (node.scheduled)
        node.text += QStringLiteral(" （") + ScheduleSummary(schedule) + QStringLiteral("）");
    return node;
}

QList<PageListNode> PageListNodes(const IniDocument &doc, int screenIndex, int count)
{
    QList<PageListNode> nodes;
    for (int k = 1; k <= count; ++k)
        nodes.append(MakePageListNode(k, ReadStoredSchedule(doc, screenIndex, k)));
    return nodes;
}

void ApplyScheduleChanges(const StoredSchedule &shown, const StoredSchedule &edited, StoredSchedule &stored)
{
    ForEachField([&](const Field &field) {
        if (Get(edited, field) != Get(shown, field))
            Set(stored, field, Get(edited, field));
    });
}

ScheduleEditResult EditPageSchedule(ConfigStore &store, int screenIndex, int page,
                                    const std::function<void(StoredSchedule &)> &edit)
{
    ScheduleEditResult result;
    const DirectoryLock lock;
    if (!lock.Locked()) {
        result.error = lock.Error();
        return result;
    }
    if (const QString unreadable = store.ReadError(); !unreadable.isEmpty()) {
        result.error = unreadable;
        return result;
    }
    const int pages = StoredPageCount(screenIndex);
    if (!InRange(page) || page > pages) {
        result.error = QStringLiteral("没有第%1页数据（%2号屏共%3页）").arg(page).arg(screenIndex + 1).arg(pages);
        return result;
    }
    // The store's edit re-enters the lock held here: the schedule is read and written in one hold.
    if (!store.Edit([&](IniDocument &doc) {
            result.schedule = ReadStoredSchedule(doc, screenIndex, page);
            edit(result.schedule);
            return WriteStoredSchedule(doc, screenIndex, page, result.schedule);
        }))
        result.error = store.SaveFailureMessage();
    return result;
}

} // namespace pelvoro
