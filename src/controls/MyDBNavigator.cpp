#include "controls/MyDBNavigator.h"

#include <QHBoxLayout>
#include <QToolButton>

#include "platform/db/Abort.h"
#include "platform/db/DataSet.h"
#include "platform/db/DataSource.h"
#include "platform/ui/Dialogs.h"

TMyDBNavigator::TMyDBNavigator(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto button = [this, layout](const char *name, const QString &glyph, const QString &hint, Kind kind) {
        auto *b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setText(glyph);
        b->setToolTip(hint);
        b->setFocusPolicy(Qt::NoFocus);
        b->setMinimumSize(20, 18);
        // Prior and next repeat while held, as a scroll does.
        b->setAutoRepeat(kind == Prior || kind == Next);
        connect(b, &QToolButton::clicked, this, [this, kind] { click(kind); });
        layout->addWidget(b);
        return b;
    };
    BtnFirst = button("BtnFirst", QStringLiteral("|◀"), QStringLiteral("最初のレコード"), First);
    BtnPrior = button("BtnPrior", QStringLiteral("◀"), QStringLiteral("前のレコード"), Prior);
    BtnNext = button("BtnNext", QStringLiteral("▶"), QStringLiteral("次のレコード"), Next);
    BtnLast = button("BtnLast", QStringLiteral("▶|"), QStringLiteral("最後のレコード"), Last);
    BtnDelete = button("BtnDelete", QStringLiteral("－"), QStringLiteral("レコードの削除"), Delete);
    BtnEdit = button("BtnEdit", QStringLiteral("▲"), QStringLiteral("レコードの編集"), Edit);
    BtnPost = button("BtnPost", QStringLiteral("✔"), QStringLiteral("レコードの登録"), Post);
    BtnCancel = button("BtnCancel", QStringLiteral("✖"), QStringLiteral("編集の取り消し"), Cancel);
    showEditButtons(false);
    updateButtons();
}

void TMyDBNavigator::showEditButtons(bool show)
{
    for (QToolButton *b : {BtnDelete, BtnEdit, BtnPost, BtnCancel})
        b->setVisible(show);
}

void TMyDBNavigator::setDataSource(DataSource *source)
{
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    m_rows = nullptr;
    if (m_source) {
        connect(m_source, &DataSource::dataChange, this, [this] { updateButtons(); });
        connect(m_source, &DataSource::stateChange, this, [this] { updateButtons(); });
    }
    updateButtons();
}

DataSource *TMyDBNavigator::dataSource() const
{
    return m_source;
}

void TMyDBNavigator::setRows(TNavigatorRows *rows)
{
    setDataSource(nullptr);
    m_rows = rows;
    updateButtons();
}

void TMyDBNavigator::updateButtons()
{
    bool active = false, back = false, on = false, modify = false, editing = false, any = false;
    if (m_rows) {
        active = isEnabled() && m_rows->rowsActive();
        const int row = m_rows->rowsCurrent();
        const int count = m_rows->rowsCount();
        back = active && row > 0;
        on = active && row >= 0 && row < count - 1;
        modify = active && m_rows->rowsCanModify();
        editing = m_rows->rowsEditing();
        any = row >= 0 && count > 0;
    } else if (DataSet *ds = m_source ? m_source->dataSet() : nullptr) {
        active = isEnabled() && ds->isActive();
        back = active && !ds->bof();
        on = active && !ds->eof();
        modify = active && ds->canModify();
        editing = ds->isEditing();
        any = active && !ds->isEmpty();
    }
    BtnFirst->setEnabled(back);
    BtnPrior->setEnabled(back);
    BtnNext->setEnabled(on);
    BtnLast->setEnabled(on);
    BtnDelete->setEnabled(modify && any);
    BtnEdit->setEnabled(modify && any && !editing);
    BtnPost->setEnabled(modify && editing);
    BtnCancel->setEnabled(modify && editing);
}

void TMyDBNavigator::click(Kind kind)
{
    if (kind == Delete && ConfirmDelete) {
        // Asked only where a delete could happen at all.
        const bool can = m_rows ? m_rows->rowsActive() && m_rows->rowsCurrent() >= 0
                                : m_source && m_source->dataSet() && m_source->dataSet()->isActive();
        if (!can || MessageDlg(QStringLiteral("レコードを削除してもよいですか？"), MsgDlgType::Confirmation,
                               mbOKCancel) == mrCancel)
            return;
    }
    if (m_rows)
        actOnRows(kind);
    else
        actOnDataSet(kind);
    updateButtons();
}

void TMyDBNavigator::actOnRows(Kind kind)
{
    if (!m_rows->rowsActive())
        return;
    const int row = m_rows->rowsCurrent();
    const int count = m_rows->rowsCount();
    if (kind <= Last) {
        if (count == 0 || (beforeMove && !beforeMove()))
            return;
        const int to = kind == First ? 0 : kind == Prior ? qMax(0, row - 1) : kind == Next ? qMin(count - 1, row + 1)
                                                                                           : count - 1;
        m_rows->rowsSetCurrent(to);
        return;
    }
    switch (kind) {
    case Delete: m_rows->rowsDelete(); break;
    case Edit: m_rows->rowsEdit(); break;
    case Post: m_rows->rowsPost(); break;
    default: m_rows->rowsCancel(); break;
    }
}

void TMyDBNavigator::actOnDataSet(Kind kind)
{
    DataSet *ds = m_source ? m_source->dataSet() : nullptr;
    if (!ds || !ds->isActive())
        return;
    if (kind <= Last && beforeMove && !beforeMove())
        return;
    try {
        switch (kind) {
        case First: ds->first(); break;
        case Prior: ds->prior(); break;
        case Next: ds->next(); break;
        case Last: ds->last(); break;
        case Delete: ds->remove(); break;
        case Edit: ds->edit(); break;
        case Post: ds->post(); break;
        case Cancel: ds->cancel(); break;
        }
    } catch (const EAbort &) {
        // The line's own refusal was shown; the data set stays where it was.
    }
}
