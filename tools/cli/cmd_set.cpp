#include "cli_command.h"

#include "config/area_layout.h"
#include "config/config_store.h"
#include "config/screen_fields.h"
#include "config/screen_settings.h"
#include "pages/screen_settings_save.h"

#include <QMap>

#include <algorithm>

// set: changes screen parameters and the number of screens, written as the station writes them.
namespace pelvoro::cli {

namespace {

QString ScalarFieldNames()
{
    QStringList names;
    for (const ScreenField &field : ScreenFields()) {
        if (field.IsScalar() && field.IsStored())
            names.append(field.Name());
    }
    return names.join(QStringLiteral(", "));
}

// FIELD=VALUE pairs checked against the field table; nothing is written before all are valid.
QMap<const ScreenField *, ScreenFieldValue> ParseAssignments(const QStringList &assignments)
{
    QMap<const ScreenField *, ScreenFieldValue> values;
    for (const QString &assignment : assignments) {
        const qsizetype eq = assignment.indexOf(QLatin1Char('='));
        if (eq <= 0)
            throw UsageError{QStringLiteral("\"%1\" is not FIELD=VALUE").arg(assignment)};
        const QString name = assignment.left(eq);
        const ScreenField *field = FindScalarField(name);
        if (!field) {
            if (name == QLatin1String("Areas"))
                throw UsageError{QStringLiteral("Areas is not a scalar field; use 'area add|remove'")};
            if (name == QLatin1String("ClockParts"))
                throw UsageError{QStringLiteral("ClockParts is not a scalar field")};
            throw UsageError{QStringLiteral("unknown field %1; the fields are %2").arg(name, ScalarFieldNames())};
        }
        if (!field->IsStored())
            throw UsageError{QStringLiteral("%1 is not stored: it lasts only for one run of the station").arg(name)};
        QString error;
        const auto value = ParseFieldText(*field, assignment.mid(eq + 1), &error);
        if (!value)
            throw UsageError{error};
        values.insert(field, *value);
    }
    return values;
}

int RunSet(CliArgs &args)
{
    const auto screens = args.TakeIntOption(QStringLiteral("--screens"));
    const bool hasScreen = args.Rest().contains(QStringLiteral("--screen"))
                           || std::any_of(args.Rest().begin(), args.Rest().end(),
                                          [](const QString &a) { return a.startsWith(QLatin1String("--screen=")); });
    const int screen = hasScreen ? args.TakeScreen() : -1;
    const QStringList assignments = args.Positional();
    if (!screens && !hasScreen)
        throw UsageError{QStringLiteral("give --screens N, or --screen K with FIELD=VALUE pairs")};
    if (hasScreen && assignments.isEmpty())
        throw UsageError{QStringLiteral("--screen K needs at least one FIELD=VALUE")};
    if (!hasScreen && !assignments.isEmpty())
        throw UsageError{QStringLiteral("FIELD=VALUE needs --screen K")};
    const auto values = ParseAssignments(assignments);

    if (!LockForWriting())
        return kRefused;
    ConfigStore store;
    RequireReadableConfig(store);
    const int oldLastIndex = store.LoadLastIndex();
    int lastIndex = oldLastIndex;
    if (screens)
        lastIndex = ClampLastIndex(*screens <= 0 ? -1 : *screens - 1);
    if (screen > lastIndex)
        throw UsageError{
            QStringLiteral("there is no screen %1: the station has %2 screen(s)").arg(screen + 1).arg(lastIndex + 1)};

    ScreenTable table;
    table.LastIndex = lastIndex;
    // Every screen as the file holds it, so that the save writes only what this command changes.
    store.LoadScreens(table, lastIndex);
    std::vector<int> reset;
    if (hasScreen) {
        ScreenInfo &info = table[screen];
        const ScreenInfo before = info;
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            SetField(info, *it.key(), it.value());
        auto given = [&](const char *name) { return values.contains(FindScalarField(QString::fromLatin1(name))); };
        // Nothing the settings dialog would not let through: the card's baud list and size limits.
        if (const auto violation =
                CardLimitViolation(info, given("Width") || given("Height") || given("CardType"), given("BaudIndex")))
            throw UsageError{*violation};
        if (const auto violation = given("MainHeight") ? MainHeightViolation(info) : std::nullopt)
            throw UsageError{*violation};
        // Pages drawn for the old size, colour or controller no longer fit: the screen is cleared as
        // the settings dialog clears it.
        if (!PagesStillFit(before, info))
            reset.push_back(screen);
    }
    // Fewer screens: the removed screens' sections go, as the settings dialog removes them; all of
    // it saved as the dialog saves on closing, as one unit.
    if (const ScreenSettingsSaved saved = SaveScreenSettings(table, store, reset, oldLastIndex); !saved.Ok()) {
        Err(saved.error);
        return kRefused;
    }
    return kOk;
}

} // namespace

PELVORO_CLI_COMMAND(CliCommand{
    QStringLiteral("set"),
    QStringLiteral("set screen parameters or the number of screens"),
    QStringLiteral("usage: pelvoro-cli [--dir DIR] set [--screens N] [--screen K FIELD=VALUE...]\n\n"
                   "--screens N   sets the number of screens, clamped to 1..64 as the station clamps it.\n"
                   "              Fewer screens than before erase the sections of the removed ones, as\n"
                   "              the settings dialog does; more screens start from what their sections\n"
                   "              hold, normally the defaults.\n"
                   "--screen K FIELD=VALUE...\n"
                   "              sets scalar ScreenInfo fields of screen K (1..number of screens) and\n"
                   "              saves as the station saves: only keys whose value changed are written.\n"
                   "              A new Width, Height, ColorMode or CardType clears the screen as the\n"
                   "              settings dialog does: its areas go, the area heights become 16 and its\n"
                   "              page file and subtitle file are deleted (use 'area' to add areas again).\n"
                   "              The size must lie within the controller's range (Normal 32..4096 x\n"
                   "              16..512, ZP-KQ/TQ 64..1024 x 16..192) and not beyond 1024 x 256 in both.\n\n"
                   "Fields: CardType (Normal or ZP-KQ/TQ), CommMode 0..2, ComPort, BaudIndex 0..3\n"
                   "(0..2 for ZP-KQ/TQ), IpAddress (dotted IPv4), IpPort 1..65535, ColorMode 0..1,\n"
                   "ModuleType 0..1, Width, Height, LineOrder 0..2, DataFlow 0..1, ScreenName, MainHeight,\n"
                   "ClockFormat 0..1, ClockColor 0..2, ClockX, ClockY, ClockHeight, ClockAlign 0..2,\n"
                   "TempFormat 0..1, TempColor 0..2, TempX, TempY, TitleHeight, MaxEditPages,\n"
                   "SettingsChanged, TimerSwitch, SendSelected (booleans: 1, 0, true, false).\n"
                   "An unknown field or a value the field cannot take is a usage error (exit 64) and\n"
                   "nothing is written."),
    RunSet,
});

} // namespace pelvoro::cli
