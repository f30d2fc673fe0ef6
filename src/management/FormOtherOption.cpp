#include "management/FormOtherOption.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "controls/ColorBtn.h"
#include "controls/FrameBtn.h"
#include "data/DatMod.h"
#include "data/ModalForm.h"
#include "data/MyRegistryIniFile.h"
#include "data/Utils.h"
#include "management/SettingsBatch.h"
#include "platform/system/Exception.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/HintSwitch.h"

TFormOtherOption *FormOtherOption = nullptr;
std::function<int()> TFormOtherOption::RunningViewStyle;
std::function<bool()> TFormOtherOption::RunningTabImages;

namespace {

const QString kMainForm = QStringLiteral("MainForm");

TFrameBtn *optionButton(const QString &caption, QWidget *parent, bool checkable)
{
    auto *b = new TFrameBtn(parent);
    b->setText(caption);
    b->setCheckable(checkable);
    b->setMinimumSize(120, 28);
    return b;
}

QGroupBox *item(const QString &caption, QWidget *parent)
{
    return new QGroupBox(caption, parent);
}

QHBoxLayout *folderRow(QLineEdit *edit, const QString &prompt, QWidget *owner)
{
    auto *row = new QHBoxLayout;
    row->addWidget(edit, 1);
    auto *browse = new QToolButton(owner);
    browse->setText(QStringLiteral("..."));
    QObject::connect(browse, &QToolButton::clicked, owner, [edit, prompt, owner] {
        const QString chosen = SelectFolderDialog(owner, prompt, edit->text());
        if (!chosen.isEmpty())
            edit->setText(chosen);
    });
    row->addWidget(browse);
    return row;
}

} // namespace

QString TFormOtherOption::DefaultBackUpPlace(const QString &dataPlace)
{
    return JoinPath(dataPlace, QStringLiteral("AutoBackUp"));
}

TFormOtherOption::TFormOtherOption(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormOtherOption"));
    setWindowTitle(QStringLiteral("その他の設定"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    FrBtnFont = optionButton(QStringLiteral("フォントの変更"), this, false);
    FrBtnNoHint = optionButton(QStringLiteral("ヒントを表示しない"), this, true);
    FrBtnStylePage = optionButton(QStringLiteral("ページ選択"), this, true);
    FrBtnStyleMenu = optionButton(QStringLiteral("メニュー"), this, true);
    CkBxTabImage = new QCheckBox(QStringLiteral("ページのタブに画像を表示する"), this);
    FrBtnKakikataRead = optionButton(QStringLiteral("閲覧"), this, true);
    FrBtnKakikataAuto = optionButton(QStringLiteral("自動"), this, true);
    for (auto pair : {std::pair{FrBtnStylePage, FrBtnStyleMenu}, std::pair{FrBtnKakikataRead, FrBtnKakikataAuto}}) {
        auto *g = new QButtonGroup(this);
        g->setExclusive(true);
        g->addButton(pair.first);
        g->addButton(pair.second);
    }
    JvDEDefaultDataPlace = new QLineEdit(this);
    JvDEDefaultDataPlace->setObjectName(QStringLiteral("JvDEDefaultDataPlace"));
    JvDEAutoBackUpPlace = new QLineEdit(this);
    JvDEAutoBackUpPlace->setObjectName(QStringLiteral("JvDEAutoBackUpPlace"));
    SpinEdit1 = new QSpinBox(this);
    SpinEdit1->setRange(0, 20);
    ShapeBtnOK = new TColorBtn(this);
    ShapeBtnOK->setText(QStringLiteral("OK"));
    ShapeBtnCancel = new TColorBtn(this);
    ShapeBtnCancel->setText(QStringLiteral("キャンセル"));

    auto *v = new QVBoxLayout(this);
    auto *font = item(QStringLiteral("１．表示する文字の色、大きさを変更"), this);
    (new QHBoxLayout(font))->addWidget(FrBtnFont);
    v->addWidget(font);
    auto *hint = item(QStringLiteral("２．自動ヒント表示を停止する"), this);
    (new QHBoxLayout(hint))->addWidget(FrBtnNoHint);
    v->addWidget(hint);
    auto *style = item(QStringLiteral("３．表示スタイル"), this);
    auto *sl = new QGridLayout(style);
    sl->addWidget(FrBtnStylePage, 0, 0);
    sl->addWidget(FrBtnStyleMenu, 0, 1);
    sl->addWidget(CkBxTabImage, 1, 0, 1, 2);
    v->addWidget(style);
    auto *kakikata = item(QStringLiteral("４．選択肢の初期モード"), this);
    auto *kl = new QHBoxLayout(kakikata);
    kl->addWidget(FrBtnKakikataRead);
    kl->addWidget(FrBtnKakikataAuto);
    v->addWidget(kakikata);
    auto *place = item(QStringLiteral("５．規定のデータフォルダ"), this);
    (new QVBoxLayout(place))->addLayout(
        folderRow(JvDEDefaultDataPlace, QStringLiteral("規定のデータ保存フォルダを指定してください。"), this));
    v->addWidget(place);
    auto *backup = item(QStringLiteral("６．自動バックアップ設定"), this);
    auto *bl = new QGridLayout(backup);
    bl->addWidget(new QLabel(QStringLiteral("保存場所"), backup), 0, 0);
    bl->addLayout(folderRow(JvDEAutoBackUpPlace, QStringLiteral("自動バックアップ先のフォルダを指定してください。"), this),
                  0, 1);
    bl->addWidget(new QLabel(QStringLiteral("（空欄のときは、規定のデータフォルダの AutoBackUp に保存します。）"), backup), 1, 1);
    bl->addWidget(new QLabel(QStringLiteral("保存数"), backup), 2, 0);
    auto *count = new QHBoxLayout;
    count->addWidget(SpinEdit1);
    count->addWidget(new QLabel(QStringLiteral("(0で自動バックアップを停止します。)"), backup));
    count->addStretch(1);
    bl->addLayout(count, 2, 1);
    v->addWidget(backup);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ShapeBtnOK);
    buttons->addWidget(ShapeBtnCancel);
    v->addLayout(buttons);

    // Opening reads (and seeds) the stored values.
    FontDialogFont = font->font();
    FontDialogColor = palette().color(QPalette::WindowText);
    if (RegIni) {
        FrBtnNoHint->setChecked(RegIni->ReadOrWriteBool(kMainForm, QStringLiteral("NoShowHint"), false));
        RegIni->LoadFont(kMainForm, FontDialogFont, FontDialogColor);
        SpinEdit1->setValue(RegIni->ReadOrWriteInteger(QStringLiteral("BackUp"), QStringLiteral("AutoBackUpCount"), 10));
        JvDEAutoBackUpPlace->setText(
            RegIni->ReadOrWriteString(QStringLiteral("BackUp"), QStringLiteral("BackUpPlace"), QString()));
        const bool page = RegIni->ReadOrWriteInteger(kMainForm, QStringLiteral("ViewStyle"), 0) == 0;
        (page ? FrBtnStylePage : FrBtnStyleMenu)->setChecked(true);
        CkBxTabImage->setChecked(RegIni->ReadOrWriteBool(kMainForm, QStringLiteral("ShowTabImage"), true));
        const bool read = RegIni->ReadOrWriteInteger(kMainForm, QStringLiteral("KakikatAuto"), 0) == 0;
        (read ? FrBtnKakikataRead : FrBtnKakikataAuto)->setChecked(true);
    } else {
        FrBtnStylePage->setChecked(true);
        FrBtnKakikataRead->setChecked(true);
    }
    if (DatMod)
        JvDEDefaultDataPlace->setText(DatMod->GetDataPlace());
    if (JvDEAutoBackUpPlace->text().isEmpty())
        JvDEAutoBackUpPlace->setPlaceholderText(DefaultBackUpPlace(JvDEDefaultDataPlace->text()));
    FrBtnStylePageClick();

    connect(FrBtnFont, &QAbstractButton::clicked, this, &TFormOtherOption::FrBtnFontClick);
    connect(FrBtnStylePage, &QAbstractButton::toggled, this, &TFormOtherOption::FrBtnStylePageClick);
    connect(ShapeBtnOK, &QAbstractButton::clicked, this, &TFormOtherOption::ShapeBtnOKClick);
    connect(ShapeBtnCancel, &QAbstractButton::clicked, this, &QDialog::reject);
    FormOtherOption = this;
}

TFormOtherOption::~TFormOtherOption()
{
    if (FormOtherOption == this)
        FormOtherOption = nullptr;
}

void TFormOtherOption::FrBtnFontClick()
{
    QFontDialog dialog(FontDialogFont, this);
    dialog.setWindowTitle(QStringLiteral("フォントの変更"));
    if (ModalForms::exec(dialog) == QDialog::Accepted)
        FontDialogFont = dialog.selectedFont();
}

void TFormOtherOption::FrBtnStylePageClick()
{
    CkBxTabImage->setEnabled(FrBtnStylePage->isChecked());
}

void TFormOtherOption::ShapeBtnOKClick()
{
    if (!RegIni || !DatMod)
        return;
    const bool noHint = FrBtnNoHint->isChecked();
    TSettingsBatch batch(*RegIni);
    batch.setBool(kMainForm, QStringLiteral("NoShowHint"), noHint);
    batch.setInteger(QStringLiteral("BackUp"), QStringLiteral("AutoBackUpCount"), SpinEdit1->value());
    const QString place = JvDEDefaultDataPlace->text().trimmed();
    const QString storedPlace =
        RegIni->ReadOrWriteString(QStringLiteral("CurrentFolders"), QStringLiteral("DataPlace"), QString());
    if (storedPlace != place)
        batch.setString(QStringLiteral("CurrentFolders"), QStringLiteral("DataPlace"), place);
    // The default folder is stored as an empty text, so the backups keep
    // following the data place; a user going back to it is heard too.
    const QString backUp = JvDEAutoBackUpPlace->text().trimmed();
    const QString effectivePlace = place.isEmpty() ? DatMod->GetDataPlace() : place;
    const QString wantedBackUp = backUp == DefaultBackUpPlace(effectivePlace) ? QString() : backUp;
    if (wantedBackUp != RegIni->readString(QStringLiteral("BackUp"), QStringLiteral("BackUpPlace"), QString()))
        batch.setString(QStringLiteral("BackUp"), QStringLiteral("BackUpPlace"), wantedBackUp);
    const int style = FrBtnStylePage->isChecked() ? 0 : 1;
    const bool tabImages = CkBxTabImage->isChecked();
    batch.setInteger(kMainForm, QStringLiteral("ViewStyle"), style);
    batch.setBool(kMainForm, QStringLiteral("ShowTabImage"), tabImages);
    batch.setInteger(kMainForm, QStringLiteral("KakikatAuto"), FrBtnKakikataRead->isChecked() ? 0 : 1);
    if (!batch.commit())
        return;
    try {
        SaveFontToRegistry(kMainForm, FontDialogFont, FontDialogColor);
    } catch (const Exception &e) {
        MessageDlg(QStringLiteral("設定を保存できませんでした。\r") + e.message(), MsgDlgType::Error, mbOK);
        return;
    }
    SetHintsShown(!noHint);
    const bool styleChanged = RunningViewStyle && RunningViewStyle() != style;
    const bool imagesChanged = RunningTabImages && RunningTabImages() != tabImages;
    if (styleChanged || imagesChanged)
        MessageDlg(QStringLiteral("表示スタイルの変更は次回起動時から有効です。"), MsgDlgType::Information, mbOK);
    done(mrOk);
}
