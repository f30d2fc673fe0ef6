#include "data/DataSetActions.h"

#include "platform/db/ClientDataSet.h"
#include "platform/db/DataSource.h"
#include "platform/ui/Dialogs.h"

namespace {

ClientDataSet *client(DataSet &dataSet)
{
    return dynamic_cast<ClientDataSet *>(&dataSet);
}

bool hasChanges(DataSet &dataSet)
{
    ClientDataSet *c = client(dataSet);
    return c && dataSet.isActive() && c->changeCount() > 0;
}

} // namespace

TDataSetAction::TDataSetAction(QObject *parent) : QAction(parent)
{
    connect(this, &QAction::triggered, this, [this] { executeTarget(); });
    setEnabled(false);
}

void TDataSetAction::setDataSource(::DataSource *source)
{
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (source) {
        connect(source, &::DataSource::dataChange, this, [this](Field *) { updateTarget(); });
        connect(source, &::DataSource::stateChange, this, [this] { updateTarget(); });
    }
    updateTarget();
}

DataSet *TDataSetAction::target() const
{
    return m_source ? m_source->dataSet() : nullptr;
}

void TDataSetAction::updateTarget()
{
    DataSet *ds = target();
    setEnabled(ds && enabledFor(*ds));
}

void TDataSetAction::executeTarget()
{
    DataSet *ds = target();
    if (!ds) {
        setEnabled(false);
        return;
    }
    execute(*ds);
    updateTarget();
}

bool TDataSetApplyUpdates::enabledFor(DataSet &dataSet) const { return hasChanges(dataSet); }
void TDataSetApplyUpdates::execute(DataSet &dataSet)
{
    if (ClientDataSet *c = client(dataSet))
        c->applyUpdates(-1);
}

bool TDataSetCancelUpdates::enabledFor(DataSet &dataSet) const { return hasChanges(dataSet); }
void TDataSetCancelUpdates::execute(DataSet &dataSet)
{
    if (ClientDataSet *c = client(dataSet))
        c->cancelUpdates();
}

bool TDataSetRevertRecord::enabledFor(DataSet &dataSet) const
{
    ClientDataSet *c = client(dataSet);
    return c && dataSet.isActive() && !dataSet.isEmpty() && c->updateStatus() != UpdateStatus::Unmodified;
}
void TDataSetRevertRecord::execute(DataSet &dataSet)
{
    if (ClientDataSet *c = client(dataSet))
        c->revertRecord();
}

bool TDataSetConfirmDelete::enabledFor(DataSet &dataSet) const
{
    return dataSet.isActive() && dataSet.canModify() && !(dataSet.bof() && dataSet.eof()) && !dataSet.isEmpty();
}
void TDataSetConfirmDelete::execute(DataSet &dataSet)
{
    if (MessageDlg(QStringLiteral("レコードを削除してもよいですか？"), MsgDlgType::Confirmation, mbOKCancel)
        != mrCancel)
        dataSet.remove();
}

bool TDataSetUndo::enabledFor(DataSet &dataSet) const { return hasChanges(dataSet); }
void TDataSetUndo::execute(DataSet &dataSet)
{
    if (ClientDataSet *c = client(dataSet))
        c->undoLastChange(true);
}

bool TDataSetCopy::enabledFor(DataSet &dataSet) const { return dataSet.isActive() && !dataSet.isEmpty(); }

bool TDataSetPaste::enabledFor(DataSet &dataSet) const { return dataSet.isActive() && dataSet.canModify(); }

bool TDataSetAppend::enabledFor(DataSet &dataSet) const { return dataSet.isActive() && dataSet.canModify(); }
void TDataSetAppend::execute(DataSet &dataSet)
{
    dataSet.last();
    dataSet.append();
}
