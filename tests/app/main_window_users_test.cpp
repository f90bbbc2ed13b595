// Login, user management, the access-code dialog, the identity windows and project files, driven
// through the main window and its dialogs.
#include "main_window_fixture.h"

#include "app/qt_prompt.h"
#include "app/screen_panel.h"
#include "config/identity.h"
#include "config/ui/settings_dialog.h"
#include "users/ui/identity_dialogs.h"
#include "users/ui/login_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolBar>

#include <functional>

namespace pelvoro::test {
namespace {

class UsersTest : public MainWindowTest {
protected:
    // Starts the station and waits until it is the active window, as at an operator's desk.
    void StartActive()
    {
        Start();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        Settle();
    }
    static void Settle()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
    // The dialogs of a kind that are open now.
    template <typename Dialog>
    QList<Dialog *> Open() const
    {
        QList<Dialog *> open;
        for (Dialog *dialog : window->findChildren<Dialog *>()) {
            if (dialog->isVisible())
                open << dialog;
        }
        return open;
    }
    template <typename Dialog>
    Dialog *OnlyOpen() const
    {
        const QList<Dialog *> open = Open<Dialog>();
        EXPECT_EQ(open.size(), 1);
        return open.value(0);
    }
    // Closes a dialog as the operator does, and lets the main window be activated again.
    void CloseAndSettle(QDialog *dialog)
    {
        dialog->close();
        Reactivate();
    }
    // The window system hands the activation back to the main window when a dialog is gone.
    void Reactivate()
    {
        QCoreApplication::processEvents();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        Settle();
    }
    QStringList VisibleMenus() const
    {
        QStringList visible;
        for (const char *caption : {"文件", "控制", "设置", "用户", "测试", "帮助"}) {
            if (window->Menu(caption)->menuAction()->isVisible())
                visible << caption;
        }
        return visible;
    }
    bool Unlocked() const
    {
        return window->Toolbar()->isEnabled() && window->TreePanel()->isEnabled() &&
               window->Panelface()->isEnabled() && window->Command("打开")->isEnabled();
    }
    void WriteUsers(const char *operatorPassword, const char *adminPassword, bool noLogin)
    {
        WriteFile("SysConfig.ini", GbkLines({"[全局参数]"}) + Gbk("参数一=") + Gbk(operatorPassword) + "\r\n" +
                                       Gbk("参数二=") + Gbk(adminPassword) + "\r\n" + Gbk("参数三=") +
                                       (noLogin ? "1" : "0") + "\r\n");
    }
};

// The login opens by itself once per initialisation, on activation, never over another modal
// window and never again merely because a dialog closed.
TEST_F(UsersTest, LoginOpensOnceAfterStartAndAfterLogout)
{
    WriteUsers("o1", "a1", false);
    StartActive();
    LoginDialog *login = OnlyOpen<LoginDialog>();
    ASSERT_TRUE(login);
    EXPECT_EQ(login->windowTitle(), "用户登录");
    EXPECT_EQ(login->Field()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(login->windowModality(), Qt::WindowModal);

    // "关闭" changes nothing, and the window's activation that follows opens nothing.
    CloseAndSettle(login);
    EXPECT_TRUE(Open<LoginDialog>().isEmpty());
    EXPECT_FALSE(Unlocked());

    // On demand from the menu.
    window->Command("用户/用户登录")->trigger();
    OnlyOpen<LoginDialog>()->Enter("a1");
    EXPECT_TRUE(Unlocked());
    Reactivate();
    EXPECT_TRUE(Open<LoginDialog>().isEmpty());

    // A logout locks again and the login opens once more, by itself.
    window->Command("用户/用户退出")->trigger();
    Settle();
    EXPECT_FALSE(Unlocked());
    login = OnlyOpen<LoginDialog>();
    ASSERT_TRUE(login);
    CloseAndSettle(login);
    EXPECT_TRUE(Open<LoginDialog>().isEmpty());
}

TEST_F(UsersTest, LoginWaitsWhileAnotherModalWindowIsUp)
{
    WriteUsers("", "a1", false);
    StartActive();
    CloseAndSettle(OnlyOpen<LoginDialog>());

    // Another modal window is up when the window locks again: the login waits for it to close.
    window->ShowAbout();
    Tfrmabout *about = OnlyOpen<Tfrmabout>();
    ASSERT_TRUE(about);
    window->Initialise();
    Settle();
    EXPECT_TRUE(Open<LoginDialog>().isEmpty());
    CloseAndSettle(about);
    EXPECT_EQ(Open<LoginDialog>().size(), 1);
}

TEST_F(UsersTest, LoginTextDecidesTheRole)
{
    const QStringList admin = {"文件", "控制", "设置", "用户", "测试", "帮助"};
    const QStringList operatorMenus = {"文件", "控制", "用户", "测试", "帮助"};
    const struct {
        const char *operatorPassword;
        const char *adminPassword;
        QString typed;
        QStringList menus; // empty: refused
        QString title;
    } cases[] = {
        {"o1", "a1", "a1", admin, "Pelvoro(管理员登录)"},
        {"o1", "a1", kMasterCode, admin, "Pelvoro(管理员登录)"},
        {"o1", "a1", "o1", operatorMenus, "Pelvoro(操作员登录)"},
        {"same", "same", "same", admin, "Pelvoro(管理员登录)"}, // the administrator is compared first
        {"o1", "", "", admin, "Pelvoro(管理员登录)"},           // an empty password and an empty field
        {"o1", "a1", "A1", {}, "Pelvoro(未登录)"},              // case-sensitive
        {"o1", "a1", "", {}, "Pelvoro(未登录)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        WriteUsers(c.operatorPassword, c.adminPassword, false);
        prompt.messages.clear();
        Start();
        window->LoginUser();
        LoginDialog *login = Open<LoginDialog>().value(0);
        ASSERT_TRUE(login);
        login->Enter(c.typed);
        EXPECT_EQ(window->windowTitle(), c.title);
        if (c.menus.isEmpty()) {
            EXPECT_EQ(prompt.MessageTexts("提示"), QStringList({kWrongPasswordText}));
            EXPECT_EQ(prompt.messages.value(0).icon, PromptIcon::Question);
            EXPECT_TRUE(login->isVisible());
            EXPECT_TRUE(login->Field()->text().isEmpty());
            EXPECT_EQ(VisibleMenus(), QStringList({"用户", "测试", "帮助"}));
            EXPECT_FALSE(Unlocked());
        } else {
            EXPECT_TRUE(prompt.messages.isEmpty());
            EXPECT_FALSE(login->isVisible());
            EXPECT_EQ(VisibleMenus(), c.menus);
            EXPECT_TRUE(Unlocked());
            EXPECT_TRUE(window->Command("预览")->isEnabled());
        }
        window.reset();
    }
}

// After "输入密码错误！ " the next attempt can be typed at once: the box belongs to the dialog that
// raised it, and when it is dismissed the dialog is active again with its emptied field focused.
TEST_F(UsersTest, WrongTextLeavesTheFieldFocusedInItsDialog)
{
    WriteUsers("o1", "a1", true);
    StartActive();
    QtPrompt boxes(window.get()); // real message boxes, as at the station
    ConfigStore store;
    const struct {
        const char *what;
        std::function<PasswordDialog *()> make;
    } dialogs[] = {
        {"login", [&] { return new LoginDialog(window->Users(), boxes, window.get()); }},
        {"access code", [&] { return new AccessCodeDialog(AccessPurpose::Setting, boxes, window.get()); }},
        {"user management", [&] { return new UserManagementDialog(store, boxes, window.get()); }},
    };
    for (const auto &d : dialogs) {
        SCOPED_TRACE(d.what);
        std::unique_ptr<PasswordDialog> dialog(d.make());
        dialog->open();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        QWidget *boxParent = nullptr;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_TRUE(box);
            EXPECT_EQ(box->text(), kWrongPasswordText);
            boxParent = box->parentWidget();
            QTest::keyClick(box, Qt::Key_Return);
        });
        QTest::keyClicks(dialog->Field(), "wrong");
        QTest::keyClick(dialog->Field(), Qt::Key_Return);
        Settle();
        EXPECT_EQ(boxParent, dialog.get());
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(dialog->Field()->text().isEmpty());
        EXPECT_EQ(QApplication::activeWindow(), dialog.get());
        EXPECT_EQ(QApplication::focusWidget(), dialog->Field());
        dialog.reset();
        Reactivate();
    }
}

// Each code works only for what it is meant to unlock; a wrong one changes nothing.
TEST_F(UsersTest, AccessCodesFollowTheirPurpose)
{
    enum What { Settings, Outdoor, Identity, ChangeLog, Refused };
    const struct {
        AccessPurpose purpose;
        QString typed;
        What opens;
    } cases[] = {
        {AccessPurpose::Setting, kSettingsCode, Settings},  {AccessPurpose::Config, kSettingsCode, Refused},
        {AccessPurpose::Config, kOutdoorCode, Outdoor},     {AccessPurpose::Setting, kOutdoorCode, Refused},
        {AccessPurpose::Setting, kIdentityCode, Identity},  {AccessPurpose::Config, kIdentityWord, Identity},
        {AccessPurpose::Config, kChangeLogWord, ChangeLog}, {AccessPurpose::Setting, kMasterCode, Refused},
        {AccessPurpose::Setting, "", Refused},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed.toStdString() + (c.purpose == AccessPurpose::Setting ? " setting" : " config"));
        prompt.messages.clear();
        Start();
        const QByteArray before = ReadFile("SysConfig.ini");
        EXPECT_FALSE(window->RequestAccess(c.purpose));
        AccessCodeDialog *dialog = Open<AccessCodeDialog>().value(0);
        ASSERT_TRUE(dialog);
        EXPECT_EQ(dialog->windowTitle(), "输入设置密码");
        dialog->Enter(c.typed);
        EXPECT_EQ(dialog->isVisible(), c.opens == Refused);
        EXPECT_EQ(Open<TFrmset>().size(), c.opens == Settings ? 1 : 0);
        EXPECT_EQ(window->findChild<QDialog *>("Tfrmconfig") != nullptr, c.opens == Outdoor);
        EXPECT_EQ(Open<TFrmadministrator>().size(), c.opens == Identity ? 1 : 0);
        EXPECT_EQ(window->Command("帮助/加载FPGA")->isVisible(), c.opens == ChangeLog);
        const QString expected[] = {{}, kOutdoorWarningText, kIdentityVersionText, kChangeLogText, kWrongPasswordText};
        EXPECT_EQ(prompt.MessageTexts("提示"), expected[c.opens].isEmpty() ? QStringList() : QStringList({expected[c.opens]}));
        if (c.opens == Refused) {
            EXPECT_TRUE(dialog->Field()->text().isEmpty());
            EXPECT_EQ(ReadFile("SysConfig.ini"), before);
        }
        // Only the dialog's callback lets the command through, once.
        EXPECT_FALSE(window->RequestAccess(c.purpose));
        window.reset();
    }
}

TEST_F(UsersTest, WithLoginOnSettingsOpenWithoutACode)
{
    WriteUsers("", "a1", false);
    Start();
    EXPECT_TRUE(window->RequestAccess(AccessPurpose::Setting));
    EXPECT_TRUE(Open<AccessCodeDialog>().isEmpty());
}

TEST_F(UsersTest, ChangeLogKeepsLoadFpgaVisibleAcrossReinitialisation)
{
    Start();
    window->Command("设置/设置屏参")->trigger();
    OnlyOpen<AccessCodeDialog>()->Enter(kChangeLogWord);
    window->Command("用户/用户退出")->trigger();
    EXPECT_TRUE(window->Command("帮助/加载FPGA")->isVisible());
}

TEST_F(UsersTest, UserManagementChecksTheAdministratorThenAppliesTheChanges)
{
    const struct {
        const char *admin;    // typed into the fields of the second page
        const char *operatorText;
        bool noLogin;
        QStringList lines; // "全局参数" afterwards
        QStringList menus;
    } cases[] = {
        // An emptied field keeps its password.
        {"", "", false, {"[全局参数]", "参数一=o1", "参数二=a1", "参数三=0"}, {"用户", "测试", "帮助"}},
        {"a2", "o2", false, {"[全局参数]", "参数一=o2", "参数二=a2", "参数三=0"}, {"用户", "测试", "帮助"}},
        {"a1", "o1", true, {"[全局参数]", "参数一=o1", "参数二=a1", "参数三=1"}, {"文件", "控制", "设置", "测试", "帮助"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.admin);
        WriteUsers("o1", "a1", true);
        prompt.messages.clear();
        Start();
        window->Command("设置/用户管理")->trigger();
        UserManagementDialog *dialog = Open<UserManagementDialog>().value(0);
        ASSERT_TRUE(dialog);
        dialog->Enter("o1"); // the operator's password does not open it
        EXPECT_EQ(prompt.MessageTexts("提示"), QStringList({kWrongPasswordText}));
        EXPECT_FALSE(dialog->OnSecondPage());
        dialog->Enter(kMasterCode);
        ASSERT_TRUE(dialog->OnSecondPage());
        EXPECT_EQ(dialog->AdminField()->text(), "a1");
        EXPECT_EQ(dialog->OperatorField()->text(), "o1");
        EXPECT_TRUE(dialog->NoLoginBox()->isChecked());
        EXPECT_FALSE(dialog->AdminField()->isEnabled());

        dialog->NoLoginBox()->setChecked(c.noLogin);
        EXPECT_EQ(dialog->AdminField()->isEnabled(), !c.noLogin);
        dialog->AdminField()->setText(c.admin);
        dialog->OperatorField()->setText(c.operatorText);
        dialog->ApplyButton()->click();
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(ConfigLines(), c.lines);
        // The new setting is applied at once.
        EXPECT_EQ(VisibleMenus(), c.menus);
        EXPECT_EQ(Unlocked(), c.noLogin);
        window.reset();
    }
}

// A password the file would store changed (and that would then no longer log in) is refused by
// name; the dialog stays on its page and nothing is written.
TEST_F(UsersTest, UserManagementRefusesPasswordsTheFileCannotHold)
{
    const struct {
        QString admin;
        QString operatorText;
        QString message;
    } cases[] = {
        {QStringLiteral("ab😀"), "o2", QStringLiteral("管理员密码中有不能保存的字符：😀")},
        {"a2", QStringLiteral("한😀x한"), QStringLiteral("操作员密码中有不能保存的字符：한 😀")},
        {"a\r\nb", "o2", QStringLiteral("管理员密码中有不能保存的字符：换行")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        WriteUsers("o1", "a1", false);
        const QByteArray before = ReadFile("SysConfig.ini");
        prompt.messages.clear();
        Start();
        window->Command("设置/用户管理")->trigger();
        UserManagementDialog *dialog = Open<UserManagementDialog>().value(0);
        ASSERT_TRUE(dialog);
        dialog->Enter(kMasterCode);
        ASSERT_TRUE(dialog->OnSecondPage());
        dialog->AdminField()->setText(c.admin);
        dialog->OperatorField()->setText(c.operatorText);
        ASSERT_EQ(dialog->AdminField()->text(), c.admin);
        dialog->ApplyButton()->click();
        EXPECT_EQ(prompt.MessageTexts("提示"), QStringList({c.message}));
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(dialog->OnSecondPage());
        EXPECT_EQ(ReadFile("SysConfig.ini"), before);
        window.reset();
    }
}

TEST_F(UsersTest, AboutBoxShowsTheIdentityAndWritesItBackOnlyOnOk)
{
    WriteUsers("", "a1", false);
    StartActive();
    OnlyOpen<LoginDialog>()->Enter("a1");
    ASSERT_EQ(window->windowTitle(), "Pelvoro(管理员登录)");
    const QByteArray before = ReadFile("SysConfig.ini");

    window->Command("帮助/关于...")->trigger();
    EXPECT_EQ(window->windowTitle(), "Pelvoro");
    Tfrmabout *about = OnlyOpen<Tfrmabout>();
    ASSERT_TRUE(about);
    EXPECT_EQ(about->windowTitle(), "关于软件");
    EXPECT_EQ(about->AboutText()->text(), "Pelvoro\n\n版本号：V1.0\n\n版本日期：2005/11/18");
    // The folder this run uses: the test's own directory, given as an override.
    EXPECT_TRUE(about->AppDirText()->text().contains(QDir::toNativeSeparators(AppDir()))) << about->AppDirText()->text().toStdString();
    about->close(); // the close box writes nothing
    EXPECT_EQ(ReadFile("SysConfig.ini"), before);

    window->ShowAbout();
    OnlyOpen<Tfrmabout>()->OkButton()->click();
    EXPECT_EQ(ConfigLines().mid(4), QStringList({QStringLiteral("[版本信息]"), "软件名称=" + kDefaultOwnerText,
                                                 QStringLiteral("软件版本号=V1.0"), QStringLiteral("软件日期=2005/11/18")}));
    window->Initialise();
    EXPECT_EQ(window->windowTitle(), kDefaultOwnerText + "(未登录)");
}

TEST_F(UsersTest, IdentityEditorSavesOnlyOnYes)
{
    const struct {
        PromptButton answer;
        bool saved;
        bool stays;
    } cases[] = {{PromptButton::Yes, true, false}, {PromptButton::No, false, false}, {PromptButton::Cancel, false, true}};
    for (const auto &c : cases) {
        WriteFile("SysConfig.ini", GbkLines({"[版本信息]", "软件名称=车站"}));
        prompt.messages.clear();
        prompt.questions.clear();
        Start();
        window->RequestAccess(AccessPurpose::Setting);
        OnlyOpen<AccessCodeDialog>()->Enter(kIdentityWord);
        TFrmadministrator *editor = OnlyOpen<TFrmadministrator>();
        ASSERT_TRUE(editor);
        EXPECT_EQ(editor->NameField()->text(), "车站");
        EXPECT_EQ(editor->VersionField()->text(), "V1.0");
        editor->NameField()->setText("");
        editor->DateField()->setText("2026-12-10");
        prompt.answers.enqueue(c.answer);
        editor->OkButton()->click();
        ASSERT_EQ(prompt.questions.size(), 1);
        EXPECT_EQ(prompt.questions[0].text, "是否保存对信息的修改？");
        EXPECT_EQ(prompt.questions[0].caption, "保存信息");
        EXPECT_EQ(editor->isVisible(), c.stays);
        EXPECT_EQ(prompt.MessageTexts("提示").contains("以上改变在下一次打开才生效!"), c.saved);
        EXPECT_EQ(ConfigLines(), c.saved ? QStringList({"[版本信息]", "软件名称=", "软件版本号=V1.0", "软件日期=2026-12-10"})
                                         : QStringList({"[版本信息]", "软件名称=车站"}));
        window.reset();
    }
}

// Texts the file would store changed are refused by field and character before the question.
TEST_F(UsersTest, IdentityEditorRefusesTextsTheFileCannotHold)
{
    const struct {
        QString name;
        QString date;
        QString message;
    } cases[] = {
        {QStringLiteral("ab😀"), "2026", QStringLiteral("公司名称中有不能保存的字符：😀")},
        {"车站", "2026\n12", QStringLiteral("软件日期中有不能保存的字符：换行")},
        {QStringLiteral("😀\r"), "2026", QStringLiteral("公司名称中有不能保存的字符：😀 换行")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        WriteFile("SysConfig.ini", GbkLines({"[版本信息]", "软件名称=车站"}));
        const QByteArray before = ReadFile("SysConfig.ini");
        prompt.questions.clear();
        Start();
        window->RequestAccess(AccessPurpose::Setting);
        OnlyOpen<AccessCodeDialog>()->Enter(kIdentityWord);
        TFrmadministrator *editor = OnlyOpen<TFrmadministrator>();
        ASSERT_TRUE(editor);
        prompt.messages.clear(); // the access code's own message
        editor->NameField()->setText(c.name);
        editor->DateField()->setText(c.date);
        ASSERT_EQ(editor->DateField()->text(), c.date);
        editor->OkButton()->click();
        EXPECT_TRUE(prompt.questions.isEmpty());
        EXPECT_EQ(prompt.MessageTexts("提示"), QStringList({c.message}));
        EXPECT_TRUE(editor->isVisible());
        EXPECT_EQ(ReadFile("SysConfig.ini"), before);
        window.reset();
    }
}

class ProjectWindowTest : public UsersTest {
protected:
    void SetUp() override
    {
        UsersTest::SetUp();
        ASSERT_TRUE(projects.isValid());
    }
    QString ProjectPath() const { return QDir(projects.path()).filePath("demo.save"); }
    QTemporaryDir projects;
};

TEST_F(ProjectWindowTest, SaveAsksWhereAndWritesTheProject)
{
    WriteFile("SysConfig.ini", GbkLines({"[全局参数]", "显示屏数目=1"}));
    WriteFile("Tavrel2.dat", "pages of screen 2");
    Start();
    prompt.files.enqueue({ProjectPath()});
    window->Command("文件/保存")->trigger();
    ASSERT_EQ(prompt.fileDialogs.size(), 1);
    EXPECT_EQ(prompt.fileDialogs[0].caption, "保存项目文件");
    EXPECT_EQ(prompt.fileDialogs[0].directory, QDir::home().filePath("未命名"));
    EXPECT_EQ(prompt.fileDialogs[0].filters, QStringList({"Tavrel Save Format(*.save)"}));
    EXPECT_EQ(QDir(projects.path()).entryList(QDir::Files), QStringList({"demo.save", "demo.savemain2.dat"}));

    EXPECT_EQ(window->CommStatus(), "状态：项目已保存到 " + QDir::toNativeSeparators(ProjectPath()));

    prompt.files.enqueue({}); // cancelled
    window->Command("保存")->trigger();
    EXPECT_TRUE(prompt.messages.isEmpty());
}

// A name typed without ".save" gets it, so that "打开", which lists *.save files, finds the project;
// a project already under the completed name is replaced only when the operator says so.
TEST_F(ProjectWindowTest, NameWithoutTheExtensionIsSavedWithIt)
{
    WriteFile("SysConfig.ini", GbkLines({"[全局参数]", "显示屏数目=0"}));
    WriteFile("Tavrel1.dat", "pages of screen 1");
    Start();
    const QString typed = QDir(projects.path()).filePath("site");
    prompt.files.enqueue({typed});
    window->Command("保存")->trigger();
    EXPECT_TRUE(prompt.questions.isEmpty());
    EXPECT_EQ(QDir(projects.path()).entryList(QDir::Files), QStringList({"site.save", "site.savemain1.dat"}));
    const QString saved = QDir::toNativeSeparators(typed + ".save");
    EXPECT_EQ(window->CommStatus(), "状态：项目已保存到 " + saved);

    WriteFile("Tavrel1.dat", "other pages");
    for (const PromptButton answer : {PromptButton::No, PromptButton::Yes}) {
        prompt.files.enqueue({typed});
        prompt.answers.enqueue(answer);
        window->Command("保存")->trigger();
        ASSERT_EQ(prompt.questions.size(), 1);
        EXPECT_EQ(prompt.questions[0].text, saved + " 已存在。\n要替换它吗？");
        QFile companion(QDir(projects.path()).filePath("site.savemain1.dat"));
        ASSERT_TRUE(companion.open(QIODevice::ReadOnly));
        EXPECT_EQ(companion.readAll(), answer == PromptButton::Yes ? "other pages" : "pages of screen 1");
        prompt.questions.clear();
    }
}

// Opening re-initialises the window from the project: its screens, its login setting, the preview.
TEST_F(ProjectWindowTest, OpeningReinitialisesTheWindowAndLocksItWhenTheProjectWantsLogin)
{
    WriteFile("SysConfig.ini", GbkLines({"[全局参数]", "显示屏数目=2", "参数三=0", "参数二=a1"}));
    WriteFile("Tavrel3.dat", "pages of screen 3");
    ASSERT_TRUE(QFile::copy(ConfigPath(), ProjectPath()));
    WriteFile("SysConfig.ini", GbkLines({"[全局参数]", "显示屏数目=4"}));
    WriteFile("Tavrel5.dat", "pages of screen 5");
    StartActive();
    ASSERT_EQ(Tree()->topLevelItemCount(), 5);
    QSignalSpy redraws(window.get(), &Tfrmmain::PreviewRedrawRequested);

    prompt.files.enqueue({ProjectPath()});
    prompt.answers.enqueue(PromptButton::Yes);
    window->Command("打开")->trigger();
    ASSERT_EQ(prompt.fileDialogs.size(), 1);
    EXPECT_EQ(prompt.fileDialogs[0].caption, "打开项目文件");
    ASSERT_EQ(prompt.questions.size(), 1);
    EXPECT_TRUE(prompt.questions[0].text.startsWith("该节目文件要求登录")) << prompt.questions[0].text.toStdString();
    EXPECT_EQ(Tree()->topLevelItemCount(), 3);
    EXPECT_FALSE(Exists("Tavrel5.dat"));
    EXPECT_FALSE(Exists("Tavrel3.dat")); // the project has no companion for it
    EXPECT_EQ(VisibleMenus(), QStringList({"用户", "测试", "帮助"}));
    EXPECT_EQ(window->windowTitle(), "Pelvoro(未登录)");
    EXPECT_FALSE(redraws.isEmpty());
    EXPECT_EQ(redraws.last().at(0).toInt(), 0);
    Settle();
    EXPECT_EQ(Open<LoginDialog>().size(), 1);
}

// Opening replaces every page of the working set and may lock the station: it asks first, names
// what goes, and 否 leaves every file as it was.
TEST_F(ProjectWindowTest, OpeningAsksBeforeReplacingPagesOrLocking)
{
    const auto pages = [](int count) {
        QByteArray bytes(13, '\0');
        bytes[12] = char(count);
        return bytes;
    };
    WriteFile("SysConfig.ini", GbkLines({"[全局参数]", "显示屏数目=0", "参数三=0"}));
    ASSERT_TRUE(QFile::copy(ConfigPath(), ProjectPath()));
    const QByteArray config = GbkLines({"[全局参数]", "显示屏数目=2"});
    WriteFile("SysConfig.ini", config);
    WriteFile("Tavrel1.dat", pages(3));
    WriteFile("TavrelTitle1.dat", pages(2));
    WriteFile("Tavrel3.dat", pages(4));
    Start();

    prompt.files.enqueue({ProjectPath()});
    prompt.answers.enqueue(PromptButton::No);
    window->Command("打开")->trigger();
    ASSERT_EQ(prompt.questions.size(), 1);
    EXPECT_EQ(prompt.questions[0].text,
              "该节目文件要求登录：打开后工作站将立即锁定，须用该节目文件中的密码登录。\n"
              "当前的数据页将被该节目文件替换：1号屏主区 3 页、字幕 2 页，3号屏主区 4 页。\n继续吗？");
    EXPECT_EQ(ReadFile("SysConfig.ini"), config);
    EXPECT_EQ(ReadFile("Tavrel1.dat"), pages(3));
    EXPECT_EQ(ReadFile("TavrelTitle1.dat"), pages(2));
    EXPECT_EQ(ReadFile("Tavrel3.dat"), pages(4));
    EXPECT_EQ(Tree()->topLevelItemCount(), 3);
    EXPECT_EQ(VisibleMenus(), QStringList({"文件", "控制", "设置", "测试", "帮助"}));

    // Nothing to lose and no login: nothing is asked.
    for (const char *name : {"Tavrel1.dat", "TavrelTitle1.dat", "Tavrel3.dat"})
        QFile::remove(Path(name));
    WriteFile("Tavrel2.dat", "none"); // too short to count a page
    WriteFile("SysConfig.ini", config);
    ASSERT_TRUE(QFile::remove(ProjectPath()));
    ASSERT_TRUE(QFile::copy(ConfigPath(), ProjectPath()));
    prompt.files.enqueue({ProjectPath()});
    window->Command("打开")->trigger();
    EXPECT_EQ(prompt.questions.size(), 1);
    EXPECT_FALSE(Exists("Tavrel2.dat"));
}

TEST_F(ProjectWindowTest, OpeningAFileThatDoesNotExistChangesNothing)
{
    WriteFile("SysConfig.ini", GbkLines({"[全局参数]", "显示屏数目=1"}));
    Start();
    prompt.files.enqueue({QDir(projects.path()).filePath("gone.save")});
    window->Command("文件/打开...")->trigger();
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_EQ(Tree()->topLevelItemCount(), 2);
}

} // namespace
} // namespace pelvoro::test
