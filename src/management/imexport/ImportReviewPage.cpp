#include "management/imexport/ImportReviewPage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "management/imexport/ImportRowsModel.h"

TImportReviewPage::TImportReviewPage(TImportRun &run, QWidget *parent) : QWidget(parent), m_run(run)
{
    auto *v = new QVBoxLayout(this);
    BvLbTitle = new QLabel(this);
    BvLbTitle->setStyleSheet(QStringLiteral("font-weight: bold; font-size: 14pt"));
    LbInfo = new QLabel(this);
    v->addWidget(BvLbTitle);
    v->addWidget(LbInfo);
    DBGrid1 = new QTableView(this);
    Model = new TImportRowsModel(run, this);
    DBGrid1->setModel(Model);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->verticalHeader()->hide();
    v->addWidget(DBGrid1, 3);
    LbRecCount = new QLabel(this);
    v->addWidget(LbRecCount, 0, Qt::AlignRight);
    Memo1 = new QListWidget(this);
    v->addWidget(Memo1, 1);
    auto *buttons = new QHBoxLayout;
    ClrBtnSaveSettei = new QPushButton(QStringLiteral("設定保存"), this);
    ClrBtnExcangeList = new QPushButton(QStringLiteral("変換リスト"), this);
    BtnSave = new QPushButton(QStringLiteral("保存する"), this);
    BtnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    buttons->addWidget(ClrBtnSaveSettei);
    buttons->addWidget(ClrBtnExcangeList);
    buttons->addStretch();
    buttons->addWidget(BtnSave);
    buttons->addWidget(BtnCancel);
    v->addLayout(buttons);
    connect(Memo1, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { GoToProblem(Memo1->row(item)); });
}

void TImportReviewPage::Show(const QString &title, const QList<TImportRow> *rows, const QList<int> &fields,
                             bool converted, const QList<TImportProblem> &problems, const QString &goodText)
{
    BvLbTitle->setText(title);
    Model->Show(rows, fields, converted);
    DBGrid1->resizeColumnsToContents();
    LbRecCount->setText(QString::number(rows->size()) + QStringLiteral("行"));
    m_problems = problems;
    Memo1->clear();
    for (const auto &p : problems)
        Memo1->addItem(p.text);
    if (m_run.ErrorsPresent) {
        LbInfo->setText(
            QStringLiteral("インポートデータにエラーがあります。エラーデータ以外をインポートすることもできます。"));
        LbInfo->setStyleSheet(QStringLiteral("color: red"));
    } else {
        LbInfo->setText(goodText);
        LbInfo->setStyleSheet(QStringLiteral("color: black"));
        Memo1->addItem(QStringLiteral("エラーはありません。"));
    }
}

void TImportReviewPage::GoToProblem(int line)
{
    if (line < 0 || line >= m_problems.size())
        return;
    const int row = Model->RowOfImportNo(m_problems.at(line).importNo);
    if (row >= 0)
        DBGrid1->selectRow(row);
}
