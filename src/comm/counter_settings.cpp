#include "comm/counter_settings.h"

#include "base/gbk.h"
#include "config/config_store.h"
#include "config/ini_document.h"

namespace pelvoro {
namespace {

int ReadNumber(const IniDocument &doc, const QByteArray &section, const QString &key, int fallback)
{
    const auto raw = doc.Value(section, ToGbk(key));
    const auto value = raw ? ParseIniInt(*raw) : std::nullopt;
    return value.value_or(fallback);
}

} // namespace

QString CounterSectionName(int screenIndex, int group)
{
    return QString::number(screenIndex) + QStringLiteral("号屏") + QString::number(group)
           + QStringLiteral("组计时参数");
}

CounterTable ReadCounters(const IniDocument &doc, int screenIndex, const QDateTime &now)
{
    CounterTable table;
    table.count = ReadNumber(doc, ToGbk(kGlobalSection),
                             QString::number(screenIndex) + QStringLiteral("号屏计时组数"), 0);
    const QDate date = now.date();
    const QTime time = now.time();
    for (int k = 0; k < kCounterGroups; ++k) {
        const QByteArray section = ToGbk(CounterSectionName(screenIndex, k));
        CounterGroup &g = table.groups[size_t(k)];
        g.enabled = ReadNumber(doc, section, QStringLiteral("计时使能"), 0) != 0;
        g.page = ReadNumber(doc, section, QStringLiteral("页号"), 0);
        g.mode = ReadNumber(doc, section, QStringLiteral("模式"), 0);
        g.way = ReadNumber(doc, section, QStringLiteral("方式"), 0);
        g.colour = ReadNumber(doc, section, QStringLiteral("颜色"), 1);
        g.startX = ReadNumber(doc, section, QStringLiteral("起始横坐标"), 0);
        g.startY = ReadNumber(doc, section, QStringLiteral("起始纵坐标"), 0);
        g.second = ReadNumber(doc, section, QStringLiteral("秒"), time.second());
        g.minute = ReadNumber(doc, section, QStringLiteral("分钟"), time.minute());
        g.hour = ReadNumber(doc, section, QStringLiteral("小时"), time.hour());
        g.day = ReadNumber(doc, section, QStringLiteral("日"), date.day());
        g.month = ReadNumber(doc, section, QStringLiteral("月"), date.month());
        // Qt counts Monday as 1; the stored form counts Sunday as 1.
        g.weekday = ReadNumber(doc, section, QStringLiteral("星期"), date.dayOfWeek() % 7 + 1);
        g.year = ReadNumber(doc, section, QStringLiteral("年"), date.year());
    }
    return table;
}

void LoadCounters(const ConfigStore &store, int screenIndex, CounterTable &table)
{
    table = ReadCounters(store.Read(), screenIndex, QDateTime::currentDateTime());
}

} // namespace pelvoro
