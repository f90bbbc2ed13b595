#pragma once

#include "base/prompt.h"
#include "caller_files.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The command-line tool's commands. Each command lives in its own file and registers itself with
// PELVORO_CLI_COMMAND; main() finds it by name.
namespace pelvoro {
struct ScreenTable;
class ConfigStore;
} // namespace pelvoro

namespace pelvoro::cli {

enum ExitCode { kOk = 0, kRefused = 1, kLinkFailure = 2, kUsage = 64 };

// The arguments after the command name, with helpers that consume options.
class CliArgs {
public:
    explicit CliArgs(QStringList args) : args_(std::move(args)) {}

    // "--name VALUE" or "--name=VALUE"; removes it. Throws UsageError when VALUE is missing.
    std::optional<QString> TakeOption(const QString &name);
    // "--name"; removes it.
    bool TakeFlag(const QString &name);
    // --screen K (1..64) as a 0-based index; throws UsageError when missing or out of range.
    int TakeScreen();
    // An integer option; throws UsageError when it is not a whole number.
    std::optional<int> TakeIntOption(const QString &name);
    // What is left; throws UsageError when an option (--x) is left over.
    QStringList Positional() const;
    // Throws UsageError when anything at all is left.
    void NoMoreArguments() const;
    const QStringList &Rest() const { return args_; }

private:
    QStringList args_;
};

struct UsageError {
    QString message;
};

// The station's screen table as it starts, in the application's directory (entered), with
// `screen` current. Throws UsageError when the station has no such screen.
void LoadStation(ConfigStore &store, ScreenTable &table, int screen);

// Ends the tool with the refusal exit code and the system's reason when SysConfig.ini exists but
// cannot be read: defaults shown or written for it would be wrong.
void RequireReadableConfig(const ConfigStore &store);

// Writing commands call this before they load anything: the application's directory stays locked
// until the tool exits. False (and the reason on stderr) when another writer kept it.
bool LockForWriting();

// Runs the sub-command named by the first argument ("pages list ...") with the remaining ones.
struct SubCommand {
    const char *name;
    int (*run)(CliArgs &);
};
int RunSubCommand(CliArgs &args, std::initializer_list<SubCommand> subCommands);

struct CliCommand {
    QString name;
    QString summary; // one line for the tool's --help
    QString help;    // the command's --help
    std::function<int(CliArgs &)> run;
};

bool RegisterCliCommand(CliCommand command);
const QList<CliCommand> &CliCommands();

// Output helpers: stdout and stderr in UTF-8.
void Out(const QString &text); // with a line end
void Err(const QString &text); // with a line end
void OutBytes(const QByteArray &bytes);

// The station's message boxes become lines on stderr; the tool asks no questions (every question
// is answered Cancel) and opens no file dialogs.
class CliPrompt : public Prompt {
public:
    void Message(const QString &text, const QString &, PromptIcon) override { Err(text); }
    PromptButton Ask(const QString &text, const QString &, PromptButtons, PromptIcon) override
    {
        Err(text);
        return PromptButton::Cancel;
    }
    QStringList OpenFiles(FileDialogRequest &) override { return {}; }
    QString OpenFile(FileDialogRequest &) override { return {}; }
    QString SaveFile(FileDialogRequest &) override { return {}; }
};

#define PELVORO_CLI_CONCAT2(a, b) a##b
#define PELVORO_CLI_CONCAT(a, b) PELVORO_CLI_CONCAT2(a, b)
#define PELVORO_CLI_COMMAND(...) \
    static const bool PELVORO_CLI_CONCAT(registered_, __LINE__) = ::pelvoro::cli::RegisterCliCommand(__VA_ARGS__)

} // namespace pelvoro::cli
