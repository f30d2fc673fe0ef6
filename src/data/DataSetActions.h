#pragma once

#include <QAction>
#include <QPointer>

class DataSet;
class DataSource;

// Standard actions on the data set of a data source: save, cancel, revert,
// delete, undo, copy, paste and append. Each enables itself from the state of
// its target (updateTarget, run on every change the data source reports) and
// disables itself when it has no target. Only client data sets keep a change
// log; for any other data set the log actions stay disabled.
class TDataSetAction : public QAction
{
public:
    explicit TDataSetAction(QObject *parent = nullptr);

    ::DataSource *dataSource() const { return m_source; }
    void setDataSource(::DataSource *source);
    // The data set of the data source, nullptr when none.
    DataSet *target() const;

    // Enables the action for its target.
    void updateTarget();
    // Runs the action on its target (what a trigger does); nothing without one.
    void executeTarget();

protected:
    virtual bool enabledFor(DataSet &dataSet) const = 0;
    virtual void execute(DataSet &dataSet) = 0;

private:
    QPointer<::DataSource> m_source;
};

// Applies the change log with no error limit.
class TDataSetApplyUpdates : public TDataSetAction
{
public:
    using TDataSetAction::TDataSetAction;
protected:
    bool enabledFor(DataSet &dataSet) const override;
    void execute(DataSet &dataSet) override;
};

// Takes back every pending change.
class TDataSetCancelUpdates : public TDataSetAction
{
public:
    using TDataSetAction::TDataSetAction;
protected:
    bool enabledFor(DataSet &dataSet) const override;
    void execute(DataSet &dataSet) override;
};

// Takes back the pending change of the current record.
class TDataSetRevertRecord : public TDataSetAction
{
public:
    using TDataSetAction::TDataSetAction;
protected:
    bool enabledFor(DataSet &dataSet) const override;
    void execute(DataSet &dataSet) override;
};

// Deletes the current record after "レコードを削除してもよいですか？".
class TDataSetConfirmDelete : public TDataSetAction
{
public:
    using TDataSetAction::TDataSetAction;
protected:
    bool enabledFor(DataSet &dataSet) const override;
    void execute(DataSet &dataSet) override;
};

// Takes back the last change and shows the record it touched.
class TDataSetUndo : public TDataSetAction
{
public:
    using TDataSetAction::TDataSetAction;
protected:
    bool enabledFor(DataSet &dataSet) const override;
    void execute(DataSet &dataSet) override;
};

// Copy and paste do nothing of their own: the owner connects to triggered.
class TDataSetCopy : public TDataSetAction
{
public:
    using TDataSetAction::TDataSetAction;
protected:
    bool enabledFor(DataSet &dataSet) const override;
    void execute(DataSet &) override {}
};

class TDataSetPaste : public TDataSetAction
{
public:
    using TDataSetAction::TDataSetAction;
protected:
    bool enabledFor(DataSet &dataSet) const override;
    void execute(DataSet &) override {}
};

// Goes to the last record and appends one.
class TDataSetAppend : public TDataSetAction
{
public:
    using TDataSetAction::TDataSetAction;
protected:
    bool enabledFor(DataSet &dataSet) const override;
    void execute(DataSet &dataSet) override;
};
