#pragma once

#include <QString>

class QWidget;

// The message dialogs, input box and file dialogs every part of the program asks
// the user through. Each goes through DialogScript first, so tests answer them
// from a queue (see DialogScript.h).

enum class MsgDlgType { Warning, Error, Information, Confirmation };

// Buttons of a message dialog; combine with |.
enum MsgDlgBtn : unsigned {
    mbYes = 0x01,      // はい
    mbNo = 0x02,       // いいえ
    mbOK = 0x04,       // OK
    mbCancel = 0x08,   // キャンセル
    mbAbort = 0x10,    // 中止
    mbYesToAll = 0x20, // すべてはい
    mbHelp = 0x40,     // ヘルプ
};
using MsgDlgButtons = unsigned;
constexpr MsgDlgButtons mbYesNo = mbYes | mbNo;
constexpr MsgDlgButtons mbYesNoCancel = mbYes | mbNo | mbCancel;
constexpr MsgDlgButtons mbOKCancel = mbOK | mbCancel;

// What a dialog ended with. The numbers are the ones the rest of the program
// compares with (OK 1, No 7 and so on).
enum ModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
};

// Shows a message dialog with the kind's caption (警告, エラー, 情報, 確認) and
// icon and the given buttons; returns the button pressed. Escape or closing the
// window answers キャンセル when shown, else いいえ, else OK. ヘルプ says that no
// help file is installed and leaves the dialog open.
// The caption of the program's message boxes. The application's display name
// is left unset: the platform would append it to every window's title.
void SetMessageCaption(const QString &caption);

int MessageDlg(const QString &text, MsgDlgType type, MsgDlgButtons buttons, int helpContext = 0);

// A plain message box with the application title as caption and an OK button.
void ShowMessage(const QString &text);

// The input box: true and the typed text in value after OK; false (value kept)
// after キャンセル.
bool InputQuery(const QString &caption, const QString &prompt, QString &value);
// The input box giving the typed text, or def after キャンセル.
QString InputBox(const QString &caption, const QString &prompt, const QString &def);

// File and folder dialogs; each gives the chosen path, or an empty text when the
// user cancelled. filter uses Qt's form: "家計簿 (*.pbk);;すべて (*)".
QString OpenFileDialog(QWidget *parent, const QString &title, const QString &startPath,
                       const QString &filter);
QString SaveFileDialog(QWidget *parent, const QString &title, const QString &startPath,
                       const QString &filter, const QString &defaultSuffix = QString());
QString SelectFolderDialog(QWidget *parent, const QString &title, const QString &startFolder);

// The standard error box of an exception that reached the event loop: the
// application title as caption, the exception's text, OK.
void ShowExceptionBox(const QString &text);

// The text shown when a help action is used: no help file comes with the program.
QString NoHelpText();
// What every help action does (contents or a context topic): says, in an
// information dialog, that no help file is installed.
void ShowHelp(int helpContext = 0);
