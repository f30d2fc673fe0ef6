#include "platform/ui/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include "platform/ui/DialogScript.h"
#include "platform/ui/SaveFileDialogAskedByCaller.h"

namespace {

QString captionOf(MsgDlgType type)
{
    switch (type) {
    case MsgDlgType::Warning: return QStringLiteral("警告");
    case MsgDlgType::Error: return QStringLiteral("エラー");
    case MsgDlgType::Information: return QStringLiteral("情報");
    case MsgDlgType::Confirmation: return QStringLiteral("確認");
    }
    return QString();
}

QMessageBox::Icon iconOf(MsgDlgType type)
{
    switch (type) {
    case MsgDlgType::Warning: return QMessageBox::Warning;
    case MsgDlgType::Error: return QMessageBox::Critical;
    case MsgDlgType::Information: return QMessageBox::Information;
    case MsgDlgType::Confirmation: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QString &messageCaption()
{
    static QString caption;
    return caption;
}

QString applicationTitle()
{
    return messageCaption().isEmpty() ? QGuiApplication::applicationDisplayName() : messageCaption();
}

struct ButtonSpec
{
    MsgDlgBtn button;
    const char16_t *caption;
    QMessageBox::ButtonRole role;
    int result;
};

// In the order the buttons appear.
const ButtonSpec ButtonSpecs[] = {
    {mbYes, u"はい", QMessageBox::YesRole, mrYes},
    {mbNo, u"いいえ", QMessageBox::NoRole, mrNo},
    {mbOK, u"OK", QMessageBox::AcceptRole, mrOk},
    {mbCancel, u"キャンセル", QMessageBox::RejectRole, mrCancel},
    {mbAbort, u"中止", QMessageBox::DestructiveRole, mrAbort},
    {mbYesToAll, u"すべてはい", QMessageBox::YesRole, mrYesToAll},
    {mbHelp, u"ヘルプ", QMessageBox::HelpRole, mrNone},
};

QWidget *dialogParent()
{
    return QApplication::activeWindow();
}

// Texts are kept as written, with "\r" or "\r\n" as the line break; the window
// breaks lines at "\n" only.
QString displayText(const QString &text)
{
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

} // namespace

QString NoHelpText()
{
    return QStringLiteral("ヘルプファイルはインストールされていません。");
}

void SetMessageCaption(const QString &caption)
{
    messageCaption() = caption;
}

int MessageDlg(const QString &text, MsgDlgType type, MsgDlgButtons buttons, int helpContext)
{
    Q_UNUSED(helpContext);
    if (buttons == 0)
        buttons = mbOK;
    const QString caption = captionOf(type);
    DialogScript::Answer answer;
    if (DialogScript::answerFor(DialogScript::Kind::Message, caption, text, &answer))
        return answer.result;

    QMessageBox box(iconOf(type), caption, displayText(text), QMessageBox::NoButton, dialogParent());
    QHash<QAbstractButton *, int> results;
    QPushButton *helpButton = nullptr;
    for (const ButtonSpec &spec : ButtonSpecs) {
        if (!(buttons & spec.button))
            continue;
        QPushButton *b = box.addButton(QString::fromUtf16(spec.caption), spec.role);
        results.insert(b, spec.result);
        if (spec.button == mbHelp)
            helpButton = b;
    }
    const auto buttonOf = [&](int result) -> QAbstractButton * {
        for (auto it = results.cbegin(); it != results.cend(); ++it)
            if (it.value() == result)
                return it.key();
        return nullptr;
    };
    if (QAbstractButton *def = buttonOf(mrOk) ? buttonOf(mrOk) : buttonOf(mrYes))
        box.setDefaultButton(qobject_cast<QPushButton *>(def));
    QAbstractButton *esc = buttonOf(mrCancel);
    if (!esc)
        esc = buttonOf(mrNo);
    if (!esc)
        esc = buttonOf(mrOk);
    if (esc)
        box.setEscapeButton(esc);
    if (helpButton) {
        // The help button must not close the dialog.
        helpButton->disconnect();
        QObject::connect(helpButton, &QPushButton::clicked, &box, [&box] {
            QMessageBox::information(&box, applicationTitle(), NoHelpText());
        });
    }
    box.exec();
    QAbstractButton *clicked = box.clickedButton();
    if (!clicked || clicked == helpButton)
        return esc ? results.value(esc) : mrCancel;
    return results.value(clicked, mrCancel);
}

void ShowMessage(const QString &text)
{
    const QString caption = applicationTitle();
    DialogScript::Answer answer;
    if (DialogScript::answerFor(DialogScript::Kind::Message, caption, text, &answer))
        return;
    QMessageBox box(QMessageBox::NoIcon, caption, displayText(text), QMessageBox::NoButton, dialogParent());
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

bool InputQuery(const QString &caption, const QString &prompt, QString &value)
{
    DialogScript::Answer answer;
    if (DialogScript::answerFor(DialogScript::Kind::Input, caption, prompt, &answer)) {
        if (answer.result != mrOk)
            return false;
        value = answer.text;
        return true;
    }
    QInputDialog dialog(dialogParent());
    dialog.setWindowTitle(caption);
    dialog.setLabelText(displayText(prompt));
    dialog.setTextValue(value);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("キャンセル"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    value = dialog.textValue();
    return true;
}

QString InputBox(const QString &caption, const QString &prompt, const QString &def)
{
    QString value = def;
    return InputQuery(caption, prompt, value) ? value : def;
}

namespace {
QString runFileDialog(DialogScript::Kind kind, QWidget *parent, const QString &title,
                      const QString &startPath, const QString &filter, const QString &suffix,
                      bool confirmOverwrite = true)
{
    DialogScript::Answer answer;
    if (DialogScript::answerFor(kind, title, title, &answer))
        return answer.result == mrOk ? answer.text : QString();
    QFileDialog dialog(parent ? parent : dialogParent(), title, startPath, filter);
    switch (kind) {
    case DialogScript::Kind::SaveFile:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        if (!suffix.isEmpty())
            dialog.setDefaultSuffix(suffix);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !confirmOverwrite);
        break;
    case DialogScript::Kind::Folder:
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        break;
    default:
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}
} // namespace

QString OpenFileDialog(QWidget *parent, const QString &title, const QString &startPath, const QString &filter)
{
    return runFileDialog(DialogScript::Kind::OpenFile, parent, title, startPath, filter, QString());
}

QString SaveFileDialog(QWidget *parent, const QString &title, const QString &startPath,
                       const QString &filter, const QString &defaultSuffix)
{
    return runFileDialog(DialogScript::Kind::SaveFile, parent, title, startPath, filter, defaultSuffix);
}

QString SaveFileDialogAskedByCaller(QWidget *parent, const QString &title, const QString &startPath,
                                    const QString &filter, const QString &defaultSuffix)
{
    return runFileDialog(DialogScript::Kind::SaveFile, parent, title, startPath, filter, defaultSuffix, false);
}

QString SelectFolderDialog(QWidget *parent, const QString &title, const QString &startFolder)
{
    return runFileDialog(DialogScript::Kind::Folder, parent, title, startFolder, QString(), QString());
}

void ShowExceptionBox(const QString &text)
{
    const QString caption = applicationTitle();
    if (DialogScript::answerErrorBox(caption, text))
        return;
    QMessageBox box(QMessageBox::Critical, caption, displayText(text), QMessageBox::NoButton, dialogParent());
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

void ShowHelp(int helpContext)
{
    MessageDlg(NoHelpText(), MsgDlgType::Information, mbOK, helpContext);
}
