#include "management/imexport/FrameFieldMatch.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "management/imexport/ImportRun.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/SaveFileDialogAskedByCaller.h"
#include "platform/ui/WaitCursor.h"

namespace {

QGroupBox *radioGroup(const QString &title, const QStringList &items, QButtonGroup *&group, QWidget *parent)
{
    auto *box = new QGroupBox(title, parent);
    auto *h = new QHBoxLayout(box);
    group = new QButtonGroup(box);
    for (int i = 0; i < items.size(); ++i) {
        auto *b = new QRadioButton(items.at(i), box);
        group->addButton(b, i);
        h->addWidget(b);
    }
    group->button(0)->setChecked(true);
    return box;
}

const QString kPfmFilter = QStringLiteral("ぽむぬろ君形式 (*.pfm);;すべて (*)");

} // namespace

TFrameFieldMatch::TFrameFieldMatch(TImportRun &run, QWidget *parent) : QWidget(parent), m_run(run)
{
    auto *v = new QVBoxLayout(this);
    auto *options = new QHBoxLayout;
    options->addWidget(radioGroup(QStringLiteral("一行目にフィールド名"), {QStringLiteral("なし"), QStringLiteral("あり")},
                                  RGrpFieldName, this));
    options->addWidget(radioGroup(QStringLiteral("区切り記号"), kKugiriItems, RGrpKugiri, this));
    options->addWidget(radioGroup(QStringLiteral("文字列の囲い記号"), kKakoiItems, RGrpKakoi, this));
    v->addLayout(options);
    auto *combos = new QHBoxLayout;
    auto combo = [&](const QString &label, const QStringList &items) {
        combos->addWidget(new QLabel(label, this));
        auto *c = new QComboBox(this);
        c->addItems(items);
        combos->addWidget(c);
        return c;
    };
    CmbBoxDate = combo(QStringLiteral("日付の形式"), kExchangeDateFormats);
    CmbBoxThousand = combo(QStringLiteral("数字の桁区切り"), kThousandItems);
    CmbBoxCurrencyString = combo(QStringLiteral("通貨記号"), kCurrencyItems);
    combos->addStretch();
    v->addLayout(combos);
    auto *middle = new QHBoxLayout;
    VlLstField = new QTableWidget(0, 2, this);
    VlLstField->setHorizontalHeaderLabels({QStringLiteral("入力フィールド名"), QStringLiteral("変換フィールド名")});
    VlLstField->horizontalHeader()->setStretchLastSection(true);
    VlLstField->verticalHeader()->hide();
    VlLstField->setMinimumWidth(300);
    middle->addWidget(VlLstField);
    SoftGrid1 = new QTableWidget(20, 1, this);
    SoftGrid1->horizontalHeader()->hide();
    SoftGrid1->verticalHeader()->hide();
    SoftGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    middle->addWidget(SoftGrid1, 1);
    v->addLayout(middle, 1);
    auto *buttons = new QHBoxLayout;
    ClrBtnSaveSettei = new QPushButton(QStringLiteral("設定保存"), this);
    ClrBtnLoadSettei = new QPushButton(QStringLiteral("設定呼出"), this);
    ClrBtnOK = new QPushButton(QStringLiteral("次へ"), this);
    ClrBtnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    buttons->addWidget(ClrBtnSaveSettei);
    buttons->addWidget(ClrBtnLoadSettei);
    buttons->addStretch();
    buttons->addWidget(ClrBtnOK);
    buttons->addWidget(ClrBtnCancel);
    v->addLayout(buttons);

    for (QButtonGroup *g : {RGrpFieldName, RGrpKugiri, RGrpKakoi})
        connect(g, &QButtonGroup::idClicked, this, [this] { BuildFieldList(); });
    connect(ClrBtnSaveSettei, &QPushButton::clicked, this, &TFrameFieldMatch::ClrBtnSaveSetteiClick);
    connect(ClrBtnLoadSettei, &QPushButton::clicked, this, &TFrameFieldMatch::ClrBtnLoadSetteiClick);
    connect(VlLstField, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (row >= 0)
            SoftGrid1->setCurrentCell(SoftGrid1->currentRow() < 0 ? 2 : SoftGrid1->currentRow(), row + 1);
    });
}

void TFrameFieldMatch::Refresh()
{
    BuildFieldList();
}

QString TFrameFieldMatch::Target(int row) const
{
    auto *c = qobject_cast<QComboBox *>(VlLstField->cellWidget(row, 1));
    return c ? c->currentText() : QString();
}

void TFrameFieldMatch::SetTarget(int row, const QString &target)
{
    if (auto *c = qobject_cast<QComboBox *>(VlLstField->cellWidget(row, 1)))
        c->setCurrentText(target);
}

void TFrameFieldMatch::BuildFieldList()
{
    if (m_run.File.lines.isEmpty())
        return;
    WaitCursor wait;
    m_building = true;
    VlLstField->setRowCount(0);
    const bool caption = RGrpFieldName->checkedId() == 1;
    const QStringList first = SplitLine(m_run.File.lines.first(), KugiriChar(RGrpKugiri->checkedId()),
                                        KakoiChar(RGrpKakoi->checkedId()));
    if (first.size() > 2) {
        VlLstField->setRowCount(int(first.size()));
        for (int i = 0; i < first.size(); ++i) {
            auto *key = new QTableWidgetItem(caption ? first.at(i) : QStringLiteral("フィールド") + QString::number(i));
            key->setFlags(key->flags() & ~Qt::ItemIsEditable);
            VlLstField->setItem(i, 0, key);
            auto *c = new QComboBox(VlLstField);
            c->addItems(kMatchTargets);
            VlLstField->setCellWidget(i, 1, c);
            connect(c, &QComboBox::currentTextChanged, this, [this, i](const QString &value) {
                if (m_building)
                    return;
                // A target is fed from one column only.
                m_building = true;
                if (value != kMatchTargets.first())
                    for (int r = 0; r < VlLstField->rowCount(); ++r)
                        if (r != i && Target(r) == value)
                            SetTarget(r, kMatchTargets.first());
                m_building = false;
                FillPreview();
            });
        }
        m_building = false;
        FillPreview();
    } else {
        m_building = false;
        FillPreview();
        MessageDlg(QStringLiteral("項目数が足りません。"), MsgDlgType::Error, mbOK);
    }
}

void TFrameFieldMatch::FillPreview()
{
    const int columns = VlLstField->rowCount();
    SoftGrid1->clear();
    SoftGrid1->setColumnCount(columns + 1);
    SoftGrid1->setRowCount(20);
    for (int c = 0; c < columns; ++c) {
        SoftGrid1->setItem(0, c + 1, new QTableWidgetItem(VlLstField->item(c, 0)->text()));
        SoftGrid1->setItem(1, c + 1, new QTableWidgetItem(Target(c)));
    }
    const bool caption = RGrpFieldName->checkedId() == 1;
    const QChar delimiter = KugiriChar(RGrpKugiri->checkedId());
    const QChar quote = KakoiChar(RGrpKakoi->checkedId());
    for (int r = 2; r < 20; ++r) {
        const int source = r - 2 + (caption ? 1 : 0);
        if (source >= m_run.File.lines.size())
            break;
        SoftGrid1->setItem(r, 0, new QTableWidgetItem(QString::number(r - 1) + QStringLiteral("行目")));
        const QStringList fields = SplitLine(m_run.File.lines.at(source), delimiter, quote);
        if (fields.size() > columns) {
            if (columns > 0)
                MessageDlg(QStringLiteral("フィールド数と、データ数が一致しません"), MsgDlgType::Error, mbOK);
            break;
        }
        for (int c = 0; c < fields.size(); ++c)
            SoftGrid1->setItem(r, c + 1, new QTableWidgetItem(fields.at(c)));
    }
}

TFieldMatching TFrameFieldMatch::Matching() const
{
    TFieldMatching m;
    m.RGrpFieldName = RGrpFieldName->checkedId();
    m.RGrpKugiri = RGrpKugiri->checkedId();
    m.RGrpKakoi = RGrpKakoi->checkedId();
    m.CmbBoxDate = CmbBoxDate->currentIndex();
    m.CmbBoxThousand = CmbBoxThousand->currentIndex();
    m.CmbBoxCurrencyString = CmbBoxCurrencyString->currentIndex();
    for (int r = 0; r < VlLstField->rowCount(); ++r) {
        m.Keys << VlLstField->item(r, 0)->text();
        m.Targets << Target(r);
    }
    m.MatchList = m_run.HimokuConvert.Items;
    m.ZeiKeyWord = m_run.ZeiKeyWords;
    m.AiteName = m_run.AiteName;
    return m;
}

bool TFrameFieldMatch::ApplyMatching()
{
    const TFieldMatching m = Matching();
    const QString refusal = m.Check();
    m.ApplyTo(m_run);
    if (!refusal.isEmpty()) {
        MessageDlg(refusal, MsgDlgType::Error, mbOK);
        return false;
    }
    return true;
}

void TFrameFieldMatch::setOptions(const TFieldMatching &m)
{
    RGrpFieldName->button(m.RGrpFieldName)->setChecked(true);
    RGrpKugiri->button(m.RGrpKugiri)->setChecked(true);
    RGrpKakoi->button(m.RGrpKakoi)->setChecked(true);
    CmbBoxDate->setCurrentIndex(m.CmbBoxDate);
    CmbBoxThousand->setCurrentIndex(m.CmbBoxThousand);
    CmbBoxCurrencyString->setCurrentIndex(m.CmbBoxCurrencyString);
}

bool TFrameFieldMatch::SaveSettei(const QString &fileName)
{
    const QString error = SaveMatchingFile(fileName, Matching());
    if (!error.isEmpty()) {
        MessageDlg(QStringLiteral("設定を保存できませんでした。\n") + error, MsgDlgType::Error, mbOK);
        return false;
    }
    return true;
}

bool TFrameFieldMatch::LoadSettei(const QString &fileName)
{
    TFieldMatching m;
    if (!LoadMatchingFile(fileName, m)) {
        MessageDlg(QStringLiteral("設定の呼び出しに失敗しました．"), MsgDlgType::Error, mbOK);
        return false;
    }
    setOptions(m);
    BuildFieldList();
    m_run.ZeiKeyWords = m.ZeiKeyWord;
    m_run.AiteName = m.AiteName;
    LoadMatchList(m_run.HimokuConvert, m.MatchList);
    // The saved targets go to the columns of the same key; a file of another
    // layout keeps what does not fit as 未使用.
    m_building = true;
    for (int i = 0; i < m.Keys.size(); ++i)
        for (int r = 0; r < VlLstField->rowCount(); ++r)
            if (VlLstField->item(r, 0)->text() == m.Keys.at(i))
                SetTarget(r, m.Targets.value(i));
    m_building = false;
    FillPreview();
    return true;
}

void TFrameFieldMatch::ClrBtnSaveSetteiClick()
{
    // The overwrite question is asked below, once.
    const QString name = SaveFileDialogAskedByCaller(this, QStringLiteral("設定保存"), QStringLiteral("ImportField.pfm"),
                                                     kPfmFilter, QStringLiteral("pfm"));
    if (name.isEmpty())
        return;
    if (QFile::exists(name) &&
        MessageDlg(QStringLiteral("上書きしますか？"), MsgDlgType::Confirmation, mbYesNo) != mrYes)
        return;
    SaveSettei(name);
}

void TFrameFieldMatch::ClrBtnLoadSetteiClick()
{
    const QString name = OpenFileDialog(this, QStringLiteral("設定呼出"), QStringLiteral("ImportField.pfm"), kPfmFilter);
    if (!name.isEmpty())
        LoadSettei(name);
}
