#include "management/FormFirstUse.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/ColorBtn.h"
#include "data/ModalForm.h"
#include "data/MyRegistryIniFile.h"
#include "platform/ui/Dialogs.h"

TFormFirstUse *FormFirstUse = nullptr;

namespace {

const QString WelcomeText = QStringLiteral(
    "この家計簿をお使いいただきありがとうございます。\n\n"
    "はじめに家計簿データの保存場所と家計簿の名前を決めます。\n"
    "家計簿は、いくつでも作って使い分けることができます。\n\n"
    "家計簿は閉じるたびに自動でバックアップされます。\n"
    "大切なデータは「管理」ページの「使用中の家計簿をバックアップする」で\n"
    "別の場所にも保存しておいてください。");

} // namespace

TFormFirstUse::TFormFirstUse(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormFirstUse"));
    setWindowTitle(QStringLiteral("はじめに"));
    // Its own top-level window, so it can be found while the main window is
    // not shown yet; a fixed size like any note.
    setWindowFlags(Qt::Window | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    auto *layout = new QVBoxLayout(this);
    TextPanel = new QLabel(WelcomeText, this);
    TextPanel->setFrameShape(QFrame::StyledPanel);
    TextPanel->setMargin(12);
    TextPanel->setWordWrap(true);
    layout->addWidget(TextPanel, 1);
    auto *row = new QHBoxLayout();
    row->addStretch(1);
    ColorBtn1 = new TColorBtn(this);
    ColorBtn1->setText(QStringLiteral("閉じる"));
    // Enter closes the note.
    ColorBtn1->setDefault(true);
    row->addWidget(ColorBtn1);
    layout->addLayout(row);
    connect(ColorBtn1, &QPushButton::clicked, this, [this] { done(mrOk); });
    layout->setSizeConstraint(QLayout::SetFixedSize);
    FormFirstUse = this;
}

TFormFirstUse::~TFormFirstUse()
{
    if (FormFirstUse == this)
        FormFirstUse = nullptr;
}

void ShowFirstUseNote(QWidget *owner)
{
    if (RegIni->ReadOrWriteBool(QStringLiteral("MainForm"), QStringLiteral("v3FirstUseShow"), false))
        return;
    {
        TFormFirstUse note(nullptr);
        Q_UNUSED(owner);
        ModalForms::exec(note);
    }
    RegIni->WriteBoolAndUpdate(QStringLiteral("MainForm"), QStringLiteral("v3FirstUseShow"), true);
}
