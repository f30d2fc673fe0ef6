#include "main/FrameDeru.h"

#include <algorithm>

#include <QMenu>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStringDecoder>

#include "controls/CurrencyGrid.h"
#include "controls/GridUtils.h"
#include "controls/MySpeedButton.h"
#include "data/MyRegistryIniFile.h"
#include "data/TextFile.h"
#include "main/FrameSelecter.h"
#include "main/MainForm.h"
#include "main/MeisaiGrid.h"
#include "main/ReceiptList.h"
#include "platform/ui/Dialogs.h"

// The layout a user gives a journal page: where the detail panel stands and
// its size per input mode, the main window's common font, and the diary box's
// file menu.

namespace {

QString modeWord(int mode)
{
    switch (mode) {
    case 2: return QStringLiteral("Receipt");
    case 3: return QStringLiteral("Bill");
    case 7: return QStringLiteral("Free");
    case 8: return QStringLiteral("PrePayed");
    default: return QStringLiteral("Normal");
    }
}

const QString kTextFilter = QStringLiteral("テキストファイル (*.txt *.TXT);;すべてのファイル (*)");

} // namespace

QString TFrameDeru::DetailSizeKey(int mode, bool right)
{
    return modeWord(mode) + (right ? QStringLiteral("PnlMeisaiWidth") : QStringLiteral("PnlMeisaiHeight"));
}

bool TFrameDeru::DetailPanelAtRight() const
{
    return Split->orientation() == Qt::Horizontal;
}

int TFrameDeru::DetailPanelSize() const
{
    const QList<int> sizes = Split->sizes();
    return sizes.size() > 1 ? sizes[1] : 0;
}

void TFrameDeru::StoreDetailPanelSize()
{
    if (Updating || SettingsSection.isEmpty() || !RegIni || PnlMeisai->isHidden())
        return;
    const bool right = DetailPanelAtRight();
    const int size = DetailPanelSize();
    if (size <= 0)
        return;
    RegIni->WriteIntegerAndUpdate(SettingsSection, DetailSizeKey(InputMode, right), size);
    RegIni->WriteIntegerAndUpdate(SettingsSection, QStringLiteral("PnlMeisaiAlign"), right ? 4 : 2);
}

void TFrameDeru::SaveSelecterPanelSize()
{
    if (SettingsSection.isEmpty() || !RegIni)
        return;
    RegIni->WriteIntegerAndUpdate(SettingsSection, QStringLiteral("FrSelecterPanelWidth"), FrSelecter->GetPanelWidth());
    RegIni->WriteIntegerAndUpdate(SettingsSection, QStringLiteral("FrSelecterPanelHeight"), FrSelecter->RowHeight);
}

void TFrameDeru::LoadSelecterPanelSize()
{
    if (SettingsSection.isEmpty() || !RegIni)
        return;
    const int width =
        RegIni->ReadOrWriteInteger(SettingsSection, QStringLiteral("FrSelecterPanelWidth"), FrSelecter->GetPanelWidth());
    int height =
        RegIni->ReadOrWriteInteger(SettingsSection, QStringLiteral("FrSelecterPanelHeight"), FrSelecter->RowHeight);
    // A tile never lower than a line of its text.
    height = std::max(height, FrSelecter->fontMetrics().height() + 1);
    FrSelecter->SetPanelWidth(width);
    FrSelecter->SetRowHeight(height);
}

void TFrameDeru::PlaceDetailPanel(int align)
{
    // 4: beside the table; 1 and 2: under it.
    const bool bottom = align == 1 || align == 2;
    const bool wasUpdating = Updating;
    Updating = true;
    Split->setOrientation(bottom ? Qt::Vertical : Qt::Horizontal);
    SpBtnMeisaiPnl->setText(bottom ? QStringLiteral("↑") : QStringLiteral("↓"));
    int def = DetailPanelSize();
    if (bottom && MainForm)
        def = MainForm->height() / 4;
    if (def <= 0)
        def = bottom ? 200 : 400;
    const int size = SettingsSection.isEmpty() || !RegIni
                         ? def
                         : RegIni->readInteger(SettingsSection, DetailSizeKey(InputMode, !bottom), def);
    // The splitter shares out what it has in proportion to the sizes given:
    // the rest goes to the left side, so that the panel gets exactly its size.
    const int room = (bottom ? Split->height() : Split->width()) - Split->handleWidth();
    Split->setSizes({room > size ? room - size : size * 2, size});
    Updating = wasUpdating;
    if (!SettingsSection.isEmpty() && RegIni)
        RegIni->WriteIntegerAndUpdate(SettingsSection, QStringLiteral("PnlMeisaiAlign"), bottom ? 2 : 4);
}

void TFrameDeru::ApplyCommonFonts()
{
    if (!MainForm)
        return;
    QFont font = Memo->font();
    MainForm->ApplyCommonFont(font);
    Memo->setFont(font);
    Hyou->setFont(font);
    SetGridFont(MyDbGridMeisai, font);
    if (ReceiptList->MyDbGridReceipt)
        SetGridFont(ReceiptList->MyDbGridReceipt, font);
}

bool TFrameDeru::OpenDiaryFile(const QString &path)
{
    if (Memo->isReadOnly()) {
        MessageDlg(QStringLiteral("ロックされた日付のデータは入力できません。"), MsgDlgType::Information, mbOK);
        return false;
    }
    QString text, message;
    TextEncoding encoding = TextEncoding::Utf8;
    if (!ReadTextFile(path, text, encoding, &message)) {
        MessageDlg(message, MsgDlgType::Error, mbOK);
        return false;
    }
    Memo->setPlainText(text);
    // The next commit stores it as the shown day's diary.
    Memo->document()->setModified(true);
    return true;
}

bool TFrameDeru::SaveDiaryFileAs(const QString &path)
{
    QString message;
    TextEncoding encoding = TextEncoding::Utf8;
    if (!WriteTextFile(path, Memo->toPlainText(), encoding, &message)) {
        MessageDlg(message, MsgDlgType::Error, mbOK);
        return false;
    }
    return true;
}

void TFrameDeru::InstallMemoMenu()
{
    PopMenuMemo = new QMenu(this);
    PopMenuMemo->setObjectName(QStringLiteral("PopMenuMemo"));
    QAction *open = PopMenuMemo->addAction(QStringLiteral("開く(&O)..."));
    open->setObjectName(QStringLiteral("FileOpen1"));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    open->setShortcutContext(Qt::WidgetShortcut);
    QAction *saveAs = PopMenuMemo->addAction(QStringLiteral("名前を付けて保存(&A)..."));
    saveAs->setObjectName(QStringLiteral("FileSaveAs1"));
    Memo->addAction(open);
    connect(open, &QAction::triggered, this, [this] {
        const QString path = OpenFileDialog(this, QStringLiteral("開く"), QStringLiteral("日記.txt"), kTextFilter);
        if (!path.isEmpty())
            OpenDiaryFile(path);
    });
    connect(saveAs, &QAction::triggered, this, [this] {
        const QString path = SaveFileDialog(this, QStringLiteral("名前を付けて保存"), QStringLiteral("日記.txt"),
                                            kTextFilter, QStringLiteral("txt"));
        if (!path.isEmpty())
            SaveDiaryFileAs(path);
    });
    connect(MySpdBtnPopMenuMemo, &QAbstractButton::clicked, this, [this] {
        PopMenuMemo->popup(MySpdBtnPopMenuMemo->mapToGlobal(QPoint(0, MySpdBtnPopMenuMemo->height())));
    });
    connect(Split, &QSplitter::splitterMoved, this, [this] { StoreDetailPanelSize(); });
}
