#include "main/FormMemoRandum.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFontDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "data/ControlUtils.h"
#include "data/DatMod.h"
#include "data/MyRegistryIniFile.h"
#include "platform/ui/Dialogs.h"

namespace {

const QString kSection = QStringLiteral("FormMemoRandum");
const QString kFileName = QStringLiteral("MemoRandum.txt");
const QString kFilter = QStringLiteral("テキストファイル (*.txt *.TXT);;すべてのファイル (*)");

QString documentsPath(const QString &name)
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).filePath(name);
}

} // namespace

TFormMemoRandum::TFormMemoRandum(QWidget *owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("FormMemoRandum"));
    setWindowTitle(QStringLiteral("メモ帳"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    MenuBar = new QMenuBar(this);
    layout->setMenuBar(MenuBar);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(Memo1);

    QMenu *file = MenuBar->addMenu(QStringLiteral("ファイル(&F)"));
    FileOpen1 = file->addAction(QStringLiteral("開く(&O)..."));
    FileOpen1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    FileSaveAs1 = file->addAction(QStringLiteral("名前を付けて保存(&A)..."));
    QMenu *edit = MenuBar->addMenu(QStringLiteral("編集(&E)"));
    EditCut1 = edit->addAction(QStringLiteral("切り取り(&T)"));
    EditCut1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    EditCopy1 = edit->addAction(QStringLiteral("コピー(&C)"));
    EditCopy1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    EditPaste1 = edit->addAction(QStringLiteral("貼り付け(&P)"));
    EditPaste1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    EditSelectAll1 = edit->addAction(QStringLiteral("すべてを選択(&A)"));
    EditSelectAll1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    EditUndo1 = edit->addAction(QStringLiteral("元に戻す(&U)"));
    EditUndo1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EditDelete1 = edit->addAction(QStringLiteral("削除(&D)"));
    EditDelete1->setShortcut(QKeySequence(Qt::Key_Delete));
    edit->addSeparator();
    FontEdit1 = edit->addAction(QStringLiteral("フォントの選択(&F)"));
    // The menu's keys are the text area's own; the menu shows them.
    for (QAction *a : {EditCut1, EditCopy1, EditPaste1, EditSelectAll1, EditUndo1, EditDelete1})
        a->setShortcutContext(Qt::WidgetShortcut);
    connect(EditCut1, &QAction::triggered, Memo1, &QPlainTextEdit::cut);
    connect(EditCopy1, &QAction::triggered, Memo1, &QPlainTextEdit::copy);
    connect(EditPaste1, &QAction::triggered, Memo1, &QPlainTextEdit::paste);
    connect(EditSelectAll1, &QAction::triggered, Memo1, &QPlainTextEdit::selectAll);
    connect(EditUndo1, &QAction::triggered, Memo1, &QPlainTextEdit::undo);
    connect(EditDelete1, &QAction::triggered, this, [this] { Memo1->textCursor().removeSelectedText(); });
    connect(FontEdit1, &QAction::triggered, this, [this] { ChooseFont(); });
    connect(FileOpen1, &QAction::triggered, this, [this] {
        const QString path = OpenFileDialog(this, QStringLiteral("開く"), documentsPath(QStringLiteral("覚書.txt")),
                                            kFilter);
        if (!path.isEmpty())
            OpenFile(path);
    });
    connect(FileSaveAs1, &QAction::triggered, this, [this] {
        const QString path = SaveFileDialog(this, QStringLiteral("名前を付けて保存"),
                                            documentsPath(QStringLiteral("覚書.txt")), kFilter, QStringLiteral("txt"));
        if (!path.isEmpty())
            SaveFileAs(path);
    });

    applyFont();
    restorePlacement();
    const QString path = MemoFilePath();
    if (!path.isEmpty() && QFileInfo::exists(path)) {
        QString text, message;
        if (ReadTextFile(path, text, m_encoding, &message))
            Memo1->setPlainText(text);
        else
            MessageDlg(message, MsgDlgType::Error, mbOK);
    }
    SetControlHelpContext(this, 10118);
}

TFormMemoRandum::~TFormMemoRandum() = default;

QString TFormMemoRandum::MemoFilePath()
{
    if (!DatMod || !DatMod->DataOpen || DatMod->DataFolder.isEmpty())
        return QString();
    return QDir(DatMod->DataFolder).filePath(kFileName);
}

bool TFormMemoRandum::OpenFile(const QString &path)
{
    QString text, message;
    TextEncoding encoding = TextEncoding::Utf8;
    if (!ReadTextFile(path, text, encoding, &message)) {
        MessageDlg(message, MsgDlgType::Error, mbOK);
        return false;
    }
    Memo1->setPlainText(text);
    return true;
}

bool TFormMemoRandum::SaveFileAs(const QString &path)
{
    QString message;
    TextEncoding encoding = m_encoding;
    if (!WriteTextFile(path, Memo1->toPlainText(), encoding, &message)) {
        MessageDlg(message, MsgDlgType::Error, mbOK);
        return false;
    }
    return true;
}

bool TFormMemoRandum::SaveToBook(QString *message)
{
    const QString path = MemoFilePath();
    if (path.isEmpty())
        return true;
    return WriteTextFile(path, Memo1->toPlainText(), m_encoding, message);
}

void TFormMemoRandum::applyFont()
{
    if (!RegIni)
        return;
    QFont font = Memo1->font();
    QColor color = Memo1->palette().color(QPalette::Text);
    LoadFontFromRegistry(kSection, font, color);
    Memo1->setFont(font);
    QPalette p = Memo1->palette();
    p.setColor(QPalette::Text, color);
    Memo1->setPalette(p);
}

void TFormMemoRandum::ChooseFont()
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, Memo1->font(), this, QStringLiteral("フォントの選択"));
    if (!ok)
        return;
    Memo1->setFont(font);
    if (RegIni)
        SaveFontToRegistry(kSection, font, Memo1->palette().color(QPalette::Text));
}

void TFormMemoRandum::restorePlacement()
{
    m_placing = true;
    if (RegIni && RegIni->sectionExists(kSection)) {
        const QRect r(RegIni->readInteger(kSection, QStringLiteral("Left"), 150),
                      RegIni->readInteger(kSection, QStringLiteral("Top"), 100),
                      RegIni->readInteger(kSection, QStringLiteral("Width"), 800),
                      RegIni->readInteger(kSection, QStringLiteral("Height"), 560));
        setGeometry(r);
        m_normal = r;
        if (RegIni->readBool(kSection, QStringLiteral("Maximized"), false))
            setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        resize(800, 560);
        if (RegIni)
            RegIni->WriteBoolAndUpdate(kSection, QStringLiteral("Maximized"), false);
        if (QScreen *s = screen())
            move(s->availableGeometry().center() - rect().center());
        m_normal = geometry();
    }
    m_placing = false;
}

void TFormMemoRandum::rememberNormal()
{
    if (!m_placing && !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        m_normal = geometry();
}

void TFormMemoRandum::moveEvent(QMoveEvent *event)
{
    rememberNormal();
    QWidget::moveEvent(event);
}

void TFormMemoRandum::resizeEvent(QResizeEvent *event)
{
    rememberNormal();
    QWidget::resizeEvent(event);
}

void TFormMemoRandum::SavePlacement()
{
    if (!RegIni)
        return;
    // A maximised or minimised window keeps the place it had in its normal state.
    const bool normal = !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
    const QRect r = normal ? geometry() : m_normal;
    RegIni->WriteIntegerAndUpdate(kSection, QStringLiteral("Top"), r.top());
    RegIni->WriteIntegerAndUpdate(kSection, QStringLiteral("Left"), r.left());
    RegIni->WriteIntegerAndUpdate(kSection, QStringLiteral("Width"), r.width());
    RegIni->WriteIntegerAndUpdate(kSection, QStringLiteral("Height"), r.height());
    RegIni->WriteBoolAndUpdate(kSection, QStringLiteral("Maximized"), bool(windowState() & Qt::WindowMaximized));
}

void TFormMemoRandum::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Opened from the main window's button: typing goes into the notepad.
    activateWindow();
    Memo1->setFocus();
}

void TFormMemoRandum::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible())
        SavePlacement();
    QWidget::changeEvent(event);
}

void TFormMemoRandum::closeEvent(QCloseEvent *event)
{
    SavePlacement();
    QString message;
    if (!SaveToBook(&message)) {
        MessageDlg(message, MsgDlgType::Error, mbOK);
        if (MessageDlg(QStringLiteral("終了していいですか？"), MsgDlgType::Error, mbNo | mbOK) != mrOk) {
            // The text stays; the window comes back as it was when shown again.
            event->ignore();
            hide();
            return;
        }
    }
    QWidget::closeEvent(event);
}
