#include "management/FormCltView.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "data/DatMod.h"
#include "data/FormatSettings.h"
#include "data/MeisaiClientDataSet.h"
#include "platform/db/DataSetModel.h"
#include "platform/db/DataSource.h"

TFormCltView *FormCltView = nullptr;

namespace {

QTableWidget *valueList(QWidget *parent)
{
    auto *t = new QTableWidget(0, 2, parent);
    t->setHorizontalHeaderLabels({QStringLiteral("Key"), QStringLiteral("Value")});
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->verticalHeader()->hide();
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

QTableView *grid(TMeisaiClientDataSet *ds, QWidget *parent)
{
    auto *view = new QTableView(parent);
    if (ds) {
        auto *source = new DataSource(ds, view);
        view->setModel(new DataSetModel(source, view));
    }
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return view;
}

} // namespace

TFormCltView::TFormCltView(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FormCltView"));
    setWindowTitle(QStringLiteral("デバッグ"));
    setAttribute(Qt::WA_DeleteOnClose);
    ValueListEditor1 = valueList(this);
    ValueListEditor2 = valueList(this);
    DBGrid1 = grid(DatMod ? DatMod->MeisaiClt : nullptr, this);
    DBGrid2 = grid(DatMod ? DatMod->ReceiptClt : nullptr, this);
    StatusBar1 = new QStatusBar(this);
    auto *top = new QSplitter(Qt::Horizontal, this);
    top->addWidget(ValueListEditor1);
    top->addWidget(ValueListEditor2);
    auto *v = new QVBoxLayout(this);
    v->addWidget(top);
    v->addWidget(DBGrid1, 1);
    v->addWidget(DBGrid2, 1);
    v->addWidget(StatusBar1);
    resize(640, 560);
    RefreshValues();
    FormCltView = this;
}

TFormCltView::~TFormCltView()
{
    if (FormCltView == this)
        FormCltView = nullptr;
}

bool TFormCltView::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate && !QCoreApplication::closingDown())
        RefreshValues();
    return QWidget::event(event);
}

void TFormCltView::RefreshValues()
{
    fill(ValueListEditor1, DatMod ? DatMod->MeisaiClt : nullptr);
    fill(ValueListEditor2, DatMod ? DatMod->ReceiptClt : nullptr);
}

void TFormCltView::fill(QTableWidget *list, const TMeisaiClientDataSet *ds)
{
    QList<std::pair<QString, QString>> rows;
    if (ds) {
        const QString date = ds->CltDate.isValid() ? ds->CltDate.toString(Formats().shortDateFormat) : QString();
        rows = {{QStringLiteral("CltNewRecPos"), QString::number(ds->CltNewRecPos)},
                {QStringLiteral("CltDate"), date},
                {QStringLiteral("CltHimokuCODE"), QString::number(ds->CltHimokuCODE)},
                {QStringLiteral("CltCreditCODE"), QString::number(ds->CltCreditCODE)},
                {QStringLiteral("CltReceiptNo"), QString::number(ds->CltReceiptNo)},
                {QStringLiteral("CltLookupNo"), QString::number(ds->CltLookupNo)},
                {QStringLiteral("CltRecAiteCODE"), QString::number(ds->CltRecAiteCODE)},
                {QStringLiteral("CltShopCODE"), QString::number(ds->CltShopCODE)},
                {QStringLiteral("CltDataStyle"), QString::number(ds->CltDataStyle)},
                {QStringLiteral("CltSyuSiIdo"), QString::number(ds->CltSyuSiIdo)},
                {QStringLiteral("CltOrigin"), QString::number(ds->CltOrigin)},
                {QStringLiteral("CltNeedBillPay"), ds->CltNeedBillPay ? QStringLiteral("True") : QStringLiteral("False")}};
    }
    list->setRowCount(int(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        list->setItem(i, 0, new QTableWidgetItem(rows.at(i).first));
        list->setItem(i, 1, new QTableWidgetItem(rows.at(i).second));
    }
}
