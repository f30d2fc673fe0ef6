#include "main/DeruSettingsButton.h"

#include <QBoxLayout>

#include "controls/FrameBtn.h"
#include "data/DatMod.h"
#include "data/MeisaiClientDataSet.h"
#include "main/FrameDeru.h"
#include "management/FormHimokuSettei.h"
#include "platform/ui/Dialogs.h"

using namespace Qt::StringLiterals;

void InstallDeruSettingsButton(TFrameDeru *page, QBoxLayout *bar)
{
    auto *button = new TFrameBtn(page);
    button->setObjectName(u"FrBtnSettei"_s);
    button->setText(u"設定"_s);
    button->setMinimumSize(QSize(64, 26));
    bar->addWidget(button);
    QObject::connect(button, &QAbstractButton::clicked, page, &TFrameDeru::OpenCategorySettings);
}

void TFrameDeru::OpenCategorySettings()
{
    if (!DatMod || !DatMod->DataOpen)
        return;
    if (!PostActiveControl())
        return;
    if (TMeisaiClientDataSet *m = DatMod->MeisaiClt; m && m->isActive() && m->changeCount() > 0
        && MessageDlg(u"編集中のデータを保存していいですか？"_s, MsgDlgType::Information, mbYes | mbNo) != mrYes)
        return;
    if (!CommitPage())
        return;
    // The dialog may rename, hide or reorder what the page shows: the page lets
    // go of its lines and takes everything afresh afterwards.
    DetachDataSets();
    OpenHimokuSettei(this, FrameKind);
    ReceiptAiteCode = -1;
    RefreshPage();
    if (!ColumnList.isEmpty())
        TolBtn1Click(ColumnList.first(), false);
}
