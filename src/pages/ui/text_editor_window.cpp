#include "pages/ui/text_editor_window.h"

#include "base/app_dir.h"
#include "base/prompt.h"
#include "pages/rtf_reader.h"
#include "pages/rtf_writer.h"
#include "pages/text_editor_pages.h"
#include "pages/ui/text_editor_document.h"
#include "pages/ui/flow_layout.h"
#include "pages/ui/text_editor_find.h"
#include "pages/ui/window_placement.h"
#include "pages/word_to_rtf.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QVBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextBlock>
#include <QToolBar>
#include <QToolButton>

#include <cmath>

namespace pelvoro {
namespace {

const QString kUntitled = QStringLiteral("未命名");
const QString kCaption = QStringLiteral("文字编辑");
const QString kDefaultFace = QStringLiteral("宋体");
constexpr int kDefaultPoints = 12;
constexpr int kFontListChars = 8;

// Windows faces the station draws with a substitute; they are offered even when not installed
// under that name.
const QStringList kStationFaces = {QStringLiteral("宋体"), QStringLiteral("新宋体"), QStringLiteral("黑体"),
                                   QStringLiteral("楷体"), QStringLiteral("仿宋"), QStringLiteral("Arial"),
                                   QStringLiteral("Times New Roman")};

bool IsArrow(int key)
{
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}

// The formats over a selection, or the typing format without one.
QList<CharFormat> SelectionFormats(const QTextEdit *edit)
{
    const QTextCursor cursor = edit->textCursor();
    if (!cursor.hasSelection())
        return {FromTextFormat(edit->currentCharFormat())};
    QList<CharFormat> formats;
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    for (QTextBlock block = edit->document()->findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.position() < end && fragment.position() + fragment.length() > start)
                formats.append(FromTextFormat(fragment.charFormat()));
        }
    }
    if (formats.isEmpty())
        formats.append(FromTextFormat(edit->currentCharFormat()));
    return formats;
}

template <typename Get> bool AllSame(const QList<CharFormat> &formats, Get get)
{
    for (const CharFormat &format : formats) {
        if (get(format) != get(formats.first()))
            return false;
    }
    return true;
}

QString SpacingText(double lines)
{
    return QString::number(std::round(lines * 100) / 100);
}

QIcon Swatch(QRgb rgb)
{
    QPixmap pixmap(22, 14);
    pixmap.fill(QColor::fromRgb(rgb));
    return QIcon(pixmap);
}

} // namespace

void TabletTextEdit::keyPressEvent(QKeyEvent *event)
{
    Q_EMIT KeyPressing(!event->text().isEmpty() && event->text().at(0).isPrint());
    QTextEdit::keyPressEvent(event);
    if (IsArrow(event->key()))
        Q_EMIT ArrowMoved();
}

bool TabletTextEdit::canInsertFromMimeData(const QMimeData *source) const
{
    return source->hasText();
}

void TabletTextEdit::insertFromMimeData(const QMimeData *source)
{
    // Formats of other programs would bypass the station's fonts: pasted text takes the typing format.
    if (source->hasText())
        textCursor().insertText(source->text().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

TFrmTablet::TFrmTablet(Prompt &prompt, QWidget *parent) : QMainWindow(parent), prompt_(prompt)
{
    setObjectName(QStringLiteral("TFrmTablet"));
    BuildControls();
    BuildCommands();
    StartUp();
}

TFrmTablet::~TFrmTablet()
{
    // Closing during a conversion stops it (with the converter); the cursor comes back.
    if (Converting())
        QApplication::restoreOverrideCursor();
}

void TFrmTablet::BuildControls()
{
    edit_ = new TabletTextEdit;
    edit_->setObjectName(QStringLiteral("RichEdit1"));
    edit_->setFrameShape(QFrame::NoFrame);
    edit_->setAcceptRichText(true);
    edit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit_->setLineWrapMode(QTextEdit::FixedPixelWidth);
    edit_->document()->setDocumentMargin(0);
    QPalette palette = edit_->palette();
    palette.setColor(QPalette::Base, Qt::black);
    palette.setColor(QPalette::Text, Qt::red);
    edit_->setPalette(palette);
    edit_->setAutoFillBackground(true);

    scrollContent_ = new QWidget;
    scrollContent_->setAutoFillBackground(true);
    edit_->setParent(scrollContent_);
    scrollBox_ = new QScrollArea;
    scrollBox_->setObjectName(QStringLiteral("ScrollBox1"));
    scrollBox_->setFrameShape(QFrame::NoFrame);
    scrollBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollBox_->setWidget(scrollContent_);

    // The tool bars take as many rows as the window's width needs: every control stays in sight.
    toolArea_ = new QWidget;
    toolArea_->setObjectName(QStringLiteral("ToolArea"));
    new FlowLayout(toolArea_);
    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolArea_);
    layout->addWidget(scrollBox_, 0, Qt::AlignHCenter | Qt::AlignTop);
    layout->addStretch();
    setCentralWidget(central);

    const QString listStyle = QStringLiteral("QComboBox { background: black; color: aqua; }"
                                             "QComboBox QAbstractItemView { background: white; color: black; }");
    fontList_ = new QComboBox;
    fontList_->setObjectName(QStringLiteral("ComboBox1"));
    fontList_->setToolTip(QStringLiteral("字体"));
    // A long face name would widen the list past the narrowest window.
    fontList_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    fontList_->setMinimumContentsLength(kFontListChars);
    colourList_ = new QComboBox;
    colourList_->setObjectName(QStringLiteral("ComboBox3"));
    colourList_->setIconSize(QSize(22, 14));
    sizeList_ = new QComboBox;
    sizeList_->setObjectName(QStringLiteral("ComboBox2"));
    sizeList_->setEditable(true);
    sizeList_->setInsertPolicy(QComboBox::NoInsert);
    sizeList_->addItems(EditorSizes());
    sizeList_->lineEdit()->installEventFilter(this);
    for (QComboBox *list : {fontList_, sizeList_})
        list->setStyleSheet(listStyle);
    // Yellow and green names in aqua are unreadable on a light face: each colour shows as its swatch
    // beside the name in black.
    colourList_->setStyleSheet(QStringLiteral("QComboBox, QComboBox QAbstractItemView { background: white; "
                                              "color: black; }"));

    lineSpace_ = new QLineEdit;
    lineSpace_->setObjectName(QStringLiteral("Edt_LineSpace"));
    lineSpace_->setToolTip(QStringLiteral("行间距"));
    lineSpace_->setReadOnly(true);
    const QRegularExpression digits(QStringLiteral("[0-9.]*"));
    lineSpace_->setValidator(new QRegularExpressionValidator(digits, lineSpace_));
    lineSpace_->setMaximumWidth(48);
    spinUp_ = new QToolButton;
    spinUp_->setObjectName(QStringLiteral("SpinBtn_LineSpac_Up"));
    spinUp_->setArrowType(Qt::UpArrow);
    spinDown_ = new QToolButton;
    spinDown_->setObjectName(QStringLiteral("SpinBtn_LineSpac_Down"));
    spinDown_->setArrowType(Qt::DownArrow);

    connect(fontList_, &QComboBox::activated, this, &TFrmTablet::ChooseFont);
    connect(colourList_, &QComboBox::activated, this, &TFrmTablet::ChooseColour);
    connect(sizeList_, &QComboBox::activated, this, [this](int index) { ChooseSize(sizeList_->itemText(index)); });
    connect(sizeList_->lineEdit(), &QLineEdit::returnPressed, this, [this] { ChooseSize(sizeList_->currentText()); });
    connect(spinUp_, &QToolButton::clicked, this, &TFrmTablet::SpinUp);
    connect(spinDown_, &QToolButton::clicked, this, &TFrmTablet::SpinDown);

    connect(edit_, &QTextEdit::cursorPositionChanged, this, &TFrmTablet::FollowSelection);
    connect(edit_, &QTextEdit::selectionChanged, this, &TFrmTablet::FollowSelection);
    connect(edit_, &QTextEdit::textChanged, this, [this] { KeepCaretVisible(CaretMove::TextChange); });
    connect(edit_, &TabletTextEdit::ArrowMoved, this, [this] { KeepCaretVisible(CaretMove::ArrowKey); });
    connect(edit_, &TabletTextEdit::KeyPressing, this, [this](bool typesText) {
        // Typed text keeps the character set of the font the operator chose.
        if (!edit_->textCursor().hasSelection()) {
            QTextCharFormat format = edit_->currentCharFormat();
            format.merge(CharsetChange(rememberedCharset_));
            edit_->setCurrentCharFormat(format);
        } else if (typesText) {
            edit_->mergeCurrentCharFormat(CharsetChange(rememberedCharset_));
        }
    });
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &TFrmTablet::UpdatePaste);

    findDialog_ = new TabletFindDialog(this);
    connect(findDialog_, &TabletFindDialog::FindNextRequested, this, &TFrmTablet::FindNext);
    connect(findDialog_, &TabletFindDialog::ReplaceRequested, this, [this] {
        if (!ReplaceInEdit(edit_, findDialog_->Text(), findDialog_->Replacement(), findDialog_->Flags()))
            ShowNotFound();
    });
    connect(findDialog_, &TabletFindDialog::ReplaceAllRequested, this, [this] {
        ReplaceAllInEdit(edit_, findDialog_->Text(), findDialog_->Replacement(), findDialog_->Flags());
    });
}

void TFrmTablet::BuildCommands()
{
    const auto action = [this](const QString &key, const QString &text, auto slot,
                               const QKeySequence &shortcut = {}) {
        auto *a = new QAction(text, this);
        if (!shortcut.isEmpty())
            a->setShortcut(shortcut);
        connect(a, &QAction::triggered, this, slot);
        commands_.insert(key, a);
        return a;
    };
    const auto cut = [this] { edit_->cut(); };
    const auto copy = [this] { edit_->copy(); };
    const auto paste = [this] { edit_->paste(); };
    const auto selectAll = [this] { edit_->selectAll(); };
    const auto undo = [this] { edit_->undo(); };
    const auto remove = [this] { edit_->textCursor().removeSelectedText(); };

    const auto toolBar = [this](const QString &title) {
        auto *bar = new QToolBar(title);
        bar->setMovable(false);
        bar->setFloatable(false);
        toolArea_->layout()->addWidget(bar);
        return bar;
    };
    QToolBar *files = toolBar(QStringLiteral("文件"));
    files->addAction(action(QStringLiteral("打开"), QStringLiteral("打开"), [this] { OpenFromToolbar(); }));
    files->addAction(action(QStringLiteral("保存"), QStringLiteral("保存"), [this] { Save(); }));
    files = toolBar(QStringLiteral("编辑"));
    files->addAction(action(QStringLiteral("剪切"), QStringLiteral("剪切"), cut));
    files->addAction(action(QStringLiteral("复制"), QStringLiteral("复制"), copy));
    files->addAction(action(QStringLiteral("粘贴"), QStringLiteral("粘贴"), paste));
    files->addAction(action(QStringLiteral("选择全部"), QStringLiteral("选择全部"), selectAll));
    files->addAction(action(QStringLiteral("撤销"), QStringLiteral("撤销"), undo));
    files->addAction(action(QStringLiteral("删除"), QStringLiteral("删除"), remove));

    QToolBar *format = toolBar(QStringLiteral("字体"));
    format->addWidget(fontList_);
    format->addWidget(colourList_);
    format->addWidget(sizeList_);
    format = toolBar(QStringLiteral("行高"));
    format->addWidget(new QLabel(QStringLiteral("行高")));
    format->addWidget(lineSpace_);
    format->addWidget(spinUp_);
    format->addWidget(spinDown_);
    format = toolBar(QStringLiteral("字形"));
    format->addAction(action(QStringLiteral("粗体"), QStringLiteral("粗体"),
                             [this] { ToggleStyle(QStringLiteral("粗体")); }, QKeySequence(Qt::CTRL | Qt::Key_B)));
    format->addAction(action(QStringLiteral("斜体"), QStringLiteral("斜体"),
                             [this] { ToggleStyle(QStringLiteral("斜体")); }, QKeySequence(Qt::CTRL | Qt::Key_I)));
    format->addAction(action(QStringLiteral("下划线"), QStringLiteral("下划线"),
                             [this] { ToggleStyle(QStringLiteral("下划线")); }, QKeySequence(Qt::CTRL | Qt::Key_U)));
    format->addAction(action(QStringLiteral("删除线"), QStringLiteral("删除线"),
                             [this] { ToggleStyle(QStringLiteral("删除线")); }));
    format = toolBar(QStringLiteral("对齐"));
    format->addAction(action(QStringLiteral("左对齐"), QStringLiteral("左对齐"), [this] { Align(Qt::AlignLeft); }));
    format->addAction(action(QStringLiteral("右对齐"), QStringLiteral("右对齐"), [this] { Align(Qt::AlignRight); }));
    format->addAction(action(QStringLiteral("中对齐"), QStringLiteral("中对齐"), [this] { Align(Qt::AlignHCenter); }));
    QAction *bullets = action(QStringLiteral("项目编号"), QStringLiteral("项目编号"), [] {});
    bullets->setVisible(false);
    format->addAction(bullets);

    QToolBar *search = toolBar(QStringLiteral("查找"));
    search->addAction(action(QStringLiteral("查找..."), QStringLiteral("查找..."), [this] { Find(); },
                             QKeySequence(Qt::CTRL | Qt::Key_F)));
    search->addAction(action(QStringLiteral("查找下一个"), QStringLiteral("查找下一个"), [this] { FindNext(); },
                             QKeySequence(Qt::Key_F3)));
    search->addAction(action(QStringLiteral("替换"), QStringLiteral("替换"), [this] { Replace(); }));
    search->addAction(action(QStringLiteral("查找第一个"), QStringLiteral("查找第一个"), [this] { FindFirst(); }));

    QMenu *fileMenu = menuBar()->addMenu(QStringLiteral("文件[&F]"));
    fileMenu->addAction(action(QStringLiteral("文件/新建[&N]"), QStringLiteral("新建[&N]"), [this] { NewFile(); }));
    fileMenu->addAction(action(QStringLiteral("文件/打开[&O]"), QStringLiteral("打开[&O]"), [this] { OpenFromMenu(); },
                               QKeySequence(Qt::CTRL | Qt::Key_O)));
    fileMenu->addAction(action(QStringLiteral("文件/保存[&S]"), QStringLiteral("保存[&S]"), [this] { Save(); }));
    fileMenu->addAction(action(QStringLiteral("文件/另存为[&A]"), QStringLiteral("另存为[&A]"), [this] { SaveAs(); }));
    fileMenu->addSeparator();
    fileMenu->addAction(action(QStringLiteral("文件/退出[&E]"), QStringLiteral("退出[&E]"), [this] { close(); }));

    QMenu *editMenu = menuBar()->addMenu(QStringLiteral("编辑[&E]"));
    editMenu->addAction(action(QStringLiteral("编辑/全选[&A]"), QStringLiteral("全选[&A]"), selectAll,
                               QKeySequence(Qt::CTRL | Qt::Key_A)));
    editMenu->addAction(
        action(QStringLiteral("编辑/撤消[&U]"), QStringLiteral("撤消[&U]"), undo, QKeySequence(Qt::CTRL | Qt::Key_Z)));
    editMenu->addAction(
        action(QStringLiteral("编辑/剪切[&X]"), QStringLiteral("剪切[&X]"), cut, QKeySequence(Qt::CTRL | Qt::Key_X)));
    editMenu->addAction(
        action(QStringLiteral("编辑/复制[&C]"), QStringLiteral("复制[&C]"), copy, QKeySequence(Qt::CTRL | Qt::Key_C)));
    editMenu->addAction(
        action(QStringLiteral("编辑/粘贴[&P]"), QStringLiteral("粘贴[&P]"), paste, QKeySequence(Qt::CTRL | Qt::Key_V)));
    editMenu->addAction(
        action(QStringLiteral("编辑/删除[&D]"), QStringLiteral("删除[&D]"), remove, QKeySequence(Qt::Key_Delete)));
    // The text box handles its own editing keys first; the menu's shortcuts act when it has not the focus.
    for (QAction *a : editMenu->actions())
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);

    contextMenu_ = new QMenu(edit_);
    contextMenu_->addAction(action(QStringLiteral("右键/撤消[&U]"), QStringLiteral("撤消[&U]"), undo));
    contextMenu_->addAction(action(QStringLiteral("右键/删除[&D]"), QStringLiteral("删除[&D]"), remove));
    contextMenu_->addAction(action(QStringLiteral("右键/剪切"), QStringLiteral("剪切"), cut));
    contextMenu_->addAction(action(QStringLiteral("右键/复制"), QStringLiteral("复制"), copy));
    contextMenu_->addAction(action(QStringLiteral("右键/粘贴"), QStringLiteral("粘贴"), paste));
    contextMenu_->addAction(action(QStringLiteral("右键/全选[&A]"), QStringLiteral("全选[&A]"), selectAll));
    edit_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(edit_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { contextMenu_->popup(edit_->viewport()->mapToGlobal(at)); });
}

void TFrmTablet::StartUp()
{
    UpdatePaste();
    QStringList faces = QFontDatabase::families();
    for (const QString &face : kStationFaces) {
        if (!faces.contains(face))
            faces.append(face);
    }
    faces.sort();
    fontList_->addItems(faces);
    fontList_->addItem(QString()); // shown when the selection mixes faces or has one not listed
    fontList_->setCurrentIndex(fontList_->findText(kDefaultFace));
    sizeList_->setCurrentIndex(sizeList_->findText(QString::number(kDefaultPoints)));
    SizeForScreen(ScreenInfo{}, 0);

    const CharFormat typing = EditorCharFormat(kDefaultFace, kDefaultPoints, EditorColours(colorMode_).first().rgb);
    const QTextCharFormat format = ToTextFormat(typing);
    edit_->document()->setDefaultFont(format.font());
    QTextCursor cursor(edit_->document());
    cursor.setBlockFormat(ToBlockFormat(EditorParagraphFormat(Alignment::Left, kEditorMinLineSpacing)));
    cursor.setBlockCharFormat(format);
    edit_->setCurrentCharFormat(format);
    edit_->document()->clearUndoRedoStacks();
    edit_->document()->setModified(false);
    lineSpacing_ = kEditorMinLineSpacing;
    lineSpace_->setText(SpacingText(lineSpacing_));
    fileName_ = kUntitled;
    UpdateCaption();
    FollowSelection();
}

void TFrmTablet::SizeForScreen(const ScreenInfo &screen, int screenIndex)
{
    screenIndex_ = screenIndex;
    colorMode_ = screen.ColorMode;
    sizing_ = SizeTablet(screen.Width, screen.Height, screen.MainHeight);
    edit_->setLineWrapColumnOrWidth(MainAreaWrapWidth(screen.Width));
    edit_->setFixedSize(sizing_.textBox);
    edit_->move(sizing_.textBoxX, 0);
    scrollContent_->setFixedSize(std::max(sizing_.textBox.width(), sizing_.scrollClient.width()),
                                 sizing_.textBox.height());
    const bool scrolls = sizing_.textBox.width() > sizing_.scrollClient.width();
    scrollBox_->setHorizontalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    scrollBox_->setFixedSize(sizing_.scrollClient.width(),
                             sizing_.scrollClient.height()
                                 + (scrolls ? scrollBox_->horizontalScrollBar()->sizeHint().height() : 0));

    const int keep = colourList_->currentIndex();
    colourList_->clear();
    for (const EditorColour &colour : EditorColours(colorMode_))
        colourList_->addItem(Swatch(colour.rgb), colour.name);
    colourList_->setCurrentIndex(std::clamp(keep, 0, colourList_->count() - 1));

    // The window grows by the rows its tool bars need at this width.
    const int width = sizing_.window.width();
    const int needed = menuBar()->sizeHint().height() + centralWidget()->layout()->totalHeightForWidth(width);
    resize(width, std::max(sizing_.window.height(), needed));
    if (sizing_.centred) {
        if (const QScreen *desktop = QWidget::screen() ? QWidget::screen() : QGuiApplication::primaryScreen()) {
            const QRect area = desktop->availableGeometry();
            move(area.center() - QPoint(width / 2, height() / 2));
        }
    }
    KeepWindowOnDesktop(*this);
}

QString TFrmTablet::SuggestedSaveName() const
{
    return QStringLiteral("Tavrel") + QString::number(screenIndex_ + 1) + QStringLiteral("-1.rtf");
}

RichDocument TFrmTablet::Document() const
{
    return ToRichDocument(edit_->document());
}

void TFrmTablet::SetDocument(const RichDocument &document)
{
    {
        // One follow-up and one scroll for the whole document, not one per paragraph.
        const QSignalBlocker blocker(edit_);
        SetRichDocument(edit_->document(), document);
    }
    edit_->moveCursor(QTextCursor::Start);
    KeepCaretVisible(CaretMove::TextChange);
    FollowSelection();
}

bool TFrmTablet::IsModified() const
{
    return edit_->document()->isModified();
}

void TFrmTablet::UpdateCaption()
{
    setWindowTitle(QStringLiteral("%1 - %2").arg(QFileInfo(fileName_).fileName(), kCaption));
}

void TFrmTablet::UpdatePaste()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    const bool text = data && data->hasText();
    for (const QString &name : {QStringLiteral("粘贴"), QStringLiteral("编辑/粘贴[&P]"), QStringLiteral("右键/粘贴")}) {
        if (QAction *a = Command(name))
            a->setEnabled(text);
    }
}

void TFrmTablet::FollowSelection()
{
    const QList<CharFormat> formats = SelectionFormats(edit_);
    const CharFormat &first = formats.first();
    {
        const QSignalBlocker blocker(fontList_);
        const int index = AllSame(formats, [](const CharFormat &f) { return f.face; }) ? fontList_->findText(first.face)
                                                                                        : -1;
        fontList_->setCurrentIndex(index >= 0 ? index : fontList_->count() - 1);
    }
    {
        const QSignalBlocker blocker(sizeList_);
        sizeList_->setEditText(AllSame(formats, [](const CharFormat &f) { return f.PointSize(); })
                                   ? QString::number(first.PointSize())
                                   : QString());
    }
    {
        const QSignalBlocker blocker(colourList_);
        int index = -1;
        if (AllSame(formats, [](const CharFormat &f) { return f.autoColor ? QRgb(0) : f.color | 0xFF000000; })
            && !first.autoColor) {
            const QList<EditorColour> colours = EditorColours(colorMode_);
            for (int i = 0; i < colours.size(); ++i) {
                if ((colours[i].rgb & 0xFFFFFF) == (first.color & 0xFFFFFF))
                    index = i;
            }
        }
        colourList_->setCurrentIndex(index);
    }
    const bool selected = edit_->textCursor().hasSelection();
    for (const QString &name : {QStringLiteral("剪切"), QStringLiteral("复制"), QStringLiteral("删除"),
                                QStringLiteral("编辑/剪切[&X]"), QStringLiteral("编辑/复制[&C]"),
                                QStringLiteral("编辑/删除[&D]"), QStringLiteral("右键/剪切"), QStringLiteral("右键/复制"),
                                QStringLiteral("右键/删除[&D]")}) {
        if (QAction *a = Command(name))
            a->setEnabled(selected);
    }
    lineSpacing_ = EditorLineSpacing(FromBlockFormat(edit_->textCursor().blockFormat()));
    lineSpace_->setText(SpacingText(lineSpacing_));
}

void TFrmTablet::FocusText()
{
    edit_->setFocus();
}

void TFrmTablet::ChooseFont(int index)
{
    const QString face = fontList_->itemText(index);
    if (!face.isEmpty()) {
        const int charset = FaceCharset(face);
        edit_->mergeCurrentCharFormat(FaceChange(face, charset));
        rememberedCharset_ = charset;
    }
    FocusText();
}

void TFrmTablet::ChooseSize(const QString &text)
{
    bool whole = false;
    int points = text.trimmed().toInt(&whole);
    if (!whole || points <= 0) {
        points = kDefaultPoints;
        sizeList_->setEditText(QString::number(kDefaultPoints));
    }
    edit_->mergeCurrentCharFormat(SizeChange(points));
    FocusText();
}

void TFrmTablet::ChooseColour(int index)
{
    const QList<EditorColour> colours = EditorColours(colorMode_);
    if (index >= 0 && index < colours.size())
        edit_->mergeCurrentCharFormat(ColourChange(colours[index].rgb));
    FocusText();
}

double TFrmTablet::LineSpacing() const
{
    return lineSpacing_;
}

void TFrmTablet::SpinUp()
{
    ApplyLineSpacing(LineSpacingUp(lineSpacing_));
}

void TFrmTablet::SpinDown()
{
    const double lower = LineSpacingDown(lineSpacing_);
    if (lower != lineSpacing_)
        ApplyLineSpacing(lower);
}

void TFrmTablet::ApplyLineSpacing(double lines)
{
    lineSpacing_ = lines;
    lineSpace_->setText(SpacingText(lines));
    QTextCursor cursor = edit_->textCursor();
    cursor.mergeBlockFormat(SpacingChange(EditorParagraphFormat(Alignment::Left, lines)));
}

void TFrmTablet::ToggleStyle(const QString &name)
{
    const QTextCharFormat current = edit_->currentCharFormat();
    QTextCharFormat change;
    if (name == u"粗体")
        change.setFontWeight(current.fontWeight() >= QFont::Bold ? QFont::Normal : QFont::Bold);
    else if (name == u"斜体")
        change.setFontItalic(!current.fontItalic());
    else if (name == u"下划线")
        change.setFontUnderline(!current.fontUnderline());
    else
        change.setFontStrikeOut(!current.fontStrikeOut());
    edit_->mergeCurrentCharFormat(change);
}

void TFrmTablet::Align(Qt::Alignment alignment)
{
    edit_->setAlignment(alignment);
}

void TFrmTablet::KeepCaretVisible(CaretMove move)
{
    const QRect caret = edit_->cursorRect();
    QScrollBar *across = scrollBox_->horizontalScrollBar();
    const int x = edit_->x() + caret.x();
    across->setValue(HorizontalScrollFor(x, across->value(), scrollBox_->viewport()->width(), move));
    QScrollBar *down = edit_->verticalScrollBar();
    const int bottom = caret.bottom() + 1 + down->value();
    down->setValue(VerticalScrollFor(bottom, down->value(), edit_->viewport()->height()));
}

// --- files

bool TFrmTablet::LoadPath(const QString &path, bool word, const std::function<void()> &loaded)
{
    if (word) {
        ConvertWord(path, loaded);
        return true;
    }
    if (!LoadText(path, false))
        return false;
    if (loaded)
        loaded();
    return true;
}

bool TFrmTablet::LoadText(const QString &rtf, bool converted)
{
    const std::optional<RichDocument> document = ReadRichTextFile(rtf);
    if (!document) {
        prompt_.Message(QStringLiteral("读写文件出错：") + rtf, QStringLiteral("提示"), PromptIcon::Error);
        return false;
    }
    SetDocument(*document);
    // A converted document's text lies in a temporary folder: saving it asks where.
    fileName_ = converted ? kUntitled : QFileInfo(rtf).absoluteFilePath();
    UpdateCaption();
    return true;
}

void TFrmTablet::ConvertWord(const QString &path, const std::function<void()> &loaded)
{
    // The office suite takes seconds: the window stays live, says what it converts and keeps the text
    // and its commands out of reach until the converted text replaces it.
    if (!converter_) {
        converter_ = new WordConverter(this);
        connect(converter_, &WordConverter::Finished, this, [this](const WordConversion &result) {
            QApplication::restoreOverrideCursor();
            statusBar()->hide();
            SetCommandsEnabled(true);
            const std::function<void()> loaded = std::exchange(afterConversion_, {});
            if (result.outcome != WordConversion::Outcome::Converted)
                prompt_.Message(result.message, QStringLiteral("提示"), PromptIcon::Warning);
            else if (LoadText(result.rtfPath, true) && loaded)
                loaded();
            FocusText();
        });
    }
    if (Converting())
        return;
    afterConversion_ = loaded;
    SetCommandsEnabled(false);
    statusBar()->showMessage(QStringLiteral("状态：正在转换 ") + QFileInfo(path).fileName() + QStringLiteral("…"));
    statusBar()->show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    converter_->Start(path);
}

void TFrmTablet::SetCommandsEnabled(bool enabled)
{
    // The actions too: their shortcuts act without the menus and tool bars.
    for (QWidget *widget : std::initializer_list<QWidget *>{menuBar(), toolArea_, edit_})
        widget->setEnabled(enabled);
    for (QAction *command : std::as_const(commands_))
        command->setEnabled(enabled);
    if (enabled) {
        UpdatePaste();
        FollowSelection();
    }
}

bool TFrmTablet::Converting() const
{
    return converter_ && converter_->IsRunning();
}

void TFrmTablet::OpenFromMenu()
{
    FileDialogRequest request;
    request.caption = QStringLiteral("打开");
    request.directory = AppDir();
    request.filters = {QStringLiteral("Rich Text Format(*.rtf)"), QStringLiteral("Word文档(*.doc)"),
                       QStringLiteral("Bitmap(*.bmp)")};
    const QString path = prompt_.OpenFile(request);
    if (path.isEmpty() || request.filterIndex == 2)
        return; // bitmaps are not text
    LoadPath(path, request.filterIndex == 1);
}

void TFrmTablet::OpenFromToolbar()
{
    FileDialogRequest request;
    request.caption = QStringLiteral("打开");
    request.directory = AppDir();
    request.filters = {QStringLiteral("RTF格式(*.rtf)"), QStringLiteral("文本文档(*.txt)"),
                       QStringLiteral("Word文档(*.doc)")};
    const QString path = prompt_.OpenFile(request);
    if (!path.isEmpty())
        LoadPath(path, request.filterIndex == 2, [this] { AfterToolbarOpen(); });
}

void TFrmTablet::AfterToolbarOpen()
{
    if (colourList_->count() == 1) {
        // A single-colour screen shows red only: the whole text becomes red, to be saved as such.
        QTextCursor all(edit_->document());
        all.select(QTextCursor::Document);
        all.mergeCharFormat(ColourChange(EditorColours(0).first().rgb));
        edit_->document()->setModified(true);
        FollowSelection();
    } else {
        edit_->document()->setModified(false);
    }
}

void TFrmTablet::NewFile()
{
    const QTextCharFormat typing = edit_->currentCharFormat();
    edit_->clear();
    QTextCursor cursor(edit_->document());
    cursor.setBlockFormat(ToBlockFormat(EditorParagraphFormat(Alignment::Left, lineSpacing_)));
    cursor.setBlockCharFormat(typing);
    edit_->setCurrentCharFormat(typing);
    edit_->document()->setModified(false);
    fileName_ = kUntitled;
    UpdateCaption();
}

bool TFrmTablet::WriteTo(const QString &path)
{
    QString error;
    if (!WriteRtfFile(path, Document(), &error)) {
        const QString reason = error.isEmpty() ? QString() : QStringLiteral("\n") + error;
        prompt_.Message(QStringLiteral("读写文件出错：") + path + reason, QStringLiteral("提示"), PromptIcon::Error);
        return false;
    }
    edit_->document()->setModified(false);
    return true;
}

bool TFrmTablet::Save()
{
    if (fileName_ == kUntitled)
        return SaveAs();
    return WriteTo(fileName_);
}

bool TFrmTablet::SaveAs()
{
    FileDialogRequest request;
    request.caption = QStringLiteral("另存为");
    request.directory = AppFile(SuggestedSaveName());
    request.filters = {QStringLiteral("RTF格式(*.rtf)")};
    QString path = prompt_.SaveFile(request);
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".rtf");
    if (!WriteTo(path))
        return false;
    fileName_ = QFileInfo(path).absoluteFilePath();
    UpdateCaption();
    return true;
}

// --- search

void TFrmTablet::Find()
{
    findDialog_->ShowFor(false);
}

void TFrmTablet::Replace()
{
    findDialog_->ShowFor(true);
}

void TFrmTablet::FindNext()
{
    if (findDialog_->Text().isEmpty()) {
        Find();
        return;
    }
    if (!FindInEdit(edit_, findDialog_->Text(), findDialog_->Flags(), false))
        ShowNotFound();
}

void TFrmTablet::FindFirst()
{
    if (findDialog_->Text().isEmpty()) {
        Find();
        return;
    }
    if (!FindInEdit(edit_, findDialog_->Text(), findDialog_->Flags(), true))
        ShowNotFound();
}

void TFrmTablet::ShowNotFound()
{
    prompt_.Message(QStringLiteral("找不到\"%1\"").arg(findDialog_->Text()), kCaption);
}

// --- events

void TFrmTablet::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    KeepWindowOnDesktop(*this);
    rememberedCharset_ = SelectionFormats(edit_).first().charset;
    FocusText();
}

bool TFrmTablet::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == sizeList_->lineEdit() && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QString text = key->text();
        const bool allowed = key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Return
                             || key->key() == Qt::Key_Enter || text.isEmpty() || text == u"."
                             || (text.size() == 1 && text[0].isDigit());
        if (!allowed) {
            sizeList_->setEditText(QString::number(kDefaultPoints));
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFrmTablet::closeEvent(QCloseEvent *event)
{
    if (edit_->document()->isEmpty()) {
        event->accept();
        return;
    }
    const QString node = selectedNode_ ? selectedNode_() : QString();
    const PromptButtons buttons = int(PromptButton::Yes) | int(PromptButton::No) | int(PromptButton::Cancel);
    if (node == u"主区") {
        const PromptButton answer =
            prompt_.Ask(QStringLiteral("是否加载到主区节目列表？"), QStringLiteral("提示信息"), buttons);
        if (answer == PromptButton::Cancel) {
            event->ignore();
            return;
        }
        if (answer == PromptButton::Yes && convert_)
            convert_(Document());
        event->accept();
        return;
    }
    const PromptButton answer = prompt_.Ask(QStringLiteral("是否保存当前编辑文件？"), QStringLiteral("提示信息"), buttons);
    if (answer == PromptButton::Cancel) {
        event->ignore();
        return;
    }
    if (answer == PromptButton::Yes)
        Save(); // the window closes also when the save dialog is cancelled
    event->accept();
}

} // namespace pelvoro
