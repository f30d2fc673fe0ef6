#include "data/ReconcileErrorForm.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QVBoxLayout>

#include "data/FormatSettings.h"
#include "data/ModalForm.h"
#include "platform/db/Currency.h"
#include "platform/db/Field.h"
#include "platform/ui/Dialogs.h"

namespace {

const QString NoChange = QStringLiteral("<変更なし>");

QString kindName(UpdateKind kind)
{
    switch (kind) {
    case UpdateKind::Modify:
        return QStringLiteral("変更");
    case UpdateKind::Insert:
        return QStringLiteral("挿入");
    case UpdateKind::Delete:
        return QStringLiteral("削除");
    }
    return QString();
}

QString actionName(ReconcileAction action)
{
    switch (action) {
    case ReconcileAction::Skip:
        return QStringLiteral("スキップ");
    case ReconcileAction::Abort:
        return QStringLiteral("中止");
    case ReconcileAction::Merge:
        return QStringLiteral("マージ");
    case ReconcileAction::Correct:
        return QStringLiteral("修正");
    case ReconcileAction::Cancel:
        return QStringLiteral("キャンセル");
    case ReconcileAction::Refresh:
        return QStringLiteral("再読込み");
    }
    return QString();
}

// The typed value of an edited text for the field; the text itself when it does not convert.
QVariant valueOfText(const Field &field, const QString &text)
{
    if (text.isEmpty())
        return QVariant();
    bool ok = false;
    switch (field.dataType()) {
    case FieldType::Smallint:
    case FieldType::Integer: {
        const qlonglong v = text.toLongLong(&ok);
        return ok ? QVariant(v) : QVariant(text);
    }
    case FieldType::Float: {
        const double v = text.toDouble(&ok);
        return ok ? QVariant(v) : QVariant(text);
    }
    case FieldType::Currency: {
        const Currency v = Currency::fromString(text, &ok);
        return ok ? QVariant::fromValue(v) : QVariant(text);
    }
    case FieldType::Date: {
        const QDate d = StrToDate(text);
        return d.isValid() ? QVariant(d) : QVariant(text);
    }
    case FieldType::Boolean:
        return QVariant(text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 || text == QLatin1String("1"));
    default:
        return text;
    }
}

} // namespace

QString ReconcileValueText(const Field &field, const QVariant &value, bool assigned)
{
    if (!assigned)
        return NoChange;
    if (!value.isValid() || value.isNull())
        return QString();
    try {
        if (field.dataType() == FieldType::Currency && value.canConvert<Currency>())
            return value.value<Currency>().toString(4).remove(QRegularExpression(QStringLiteral("\\.?0+$")));
        if (field.dataType() == FieldType::Date)
            return DateToStr(value.toDate());
        if (field.dataType() == FieldType::Boolean)
            return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        return value.toString();
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    }
}

TReconcileErrorForm::TReconcileErrorForm(ClientDataSet &dataSet, UpdateKind kind, const ReconcileError &error,
                                         QWidget *parent)
    : QDialog(parent), m_dataSet(dataSet), m_kind(kind)
{
    setObjectName(QStringLiteral("ReconcileErrorForm"));
    bool conflict = false;
    for (Field *field : dataSet.fields()) {
        if (field->kind() != FieldKind::Data)
            continue;
        Entry e;
        e.field = field;
        bool has = false;
        const QVariant now = dataSet.fieldNewValue(field->index(), &has);
        e.newText = kind == UpdateKind::Delete ? NoChange : ReconcileValueText(*field, now, has);
        bool hasCur = false;
        const QVariant cur = dataSet.fieldCurValue(field->index(), &hasCur);
        e.curText = ReconcileValueText(*field, cur, hasCur);
        conflict = conflict || hasCur;
        e.oldText = kind == UpdateKind::Insert ? NoChange
                                               : ReconcileValueText(*field, dataSet.fieldOldValue(field->index()), true);
        m_entries << e;
    }

    setWindowTitle(QStringLiteral("更新エラー - %1").arg(dataSet.name()));
    auto *layout = new QVBoxLayout(this);
    UpdateType = new QLabel(kindName(kind), this);
    layout->addWidget(UpdateType);
    ErrorMsg = new QPlainTextEdit(this);
    ErrorMsg->setReadOnly(true);
    ErrorMsg->setPlainText(error.context.isEmpty() ? error.message : error.message + QLatin1Char('\n') + error.context);
    layout->addWidget(ErrorMsg);

    QStringList headers{QStringLiteral("項目名")};
    if (kind == UpdateKind::Delete) {
        m_oldColumn = 1;
        headers << QStringLiteral("元の値");
    } else {
        m_newColumn = int(headers.size());
        headers << kindName(kind) + QStringLiteral("値");
        if (conflict) {
            m_curColumn = int(headers.size());
            headers << QStringLiteral("衝突値");
        }
        if (kind == UpdateKind::Modify) {
            m_oldColumn = int(headers.size());
            headers << QStringLiteral("元の値");
        }
    }
    UpdateData = new QTableWidget(this);
    UpdateData->setColumnCount(int(headers.size()));
    UpdateData->setHorizontalHeaderLabels(headers);
    UpdateData->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    UpdateData->verticalHeader()->setDefaultSectionSize(QFontMetrics(UpdateData->font()).height() + 7);
    layout->addWidget(UpdateData, 1);

    auto *row = new QHBoxLayout();
    ActionGroup = new QGroupBox(QStringLiteral("調停アクション "), this);
    auto *actionsLayout = new QVBoxLayout(ActionGroup);
    m_actions = {ReconcileAction::Skip, ReconcileAction::Cancel, ReconcileAction::Correct};
    if (conflict)
        m_actions << ReconcileAction::Refresh << ReconcileAction::Merge;
    for (ReconcileAction a : m_actions) {
        auto *b = new QRadioButton(actionName(a), ActionGroup);
        actionsLayout->addWidget(b);
        m_buttons << b;
        connect(b, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                fillGrid();
        });
    }
    m_buttons.first()->setChecked(true);
    row->addWidget(ActionGroup);
    auto *checks = new QVBoxLayout();
    ConflictsOnly = new QCheckBox(QStringLiteral("衝突項目のみ表示"), this);
    ConflictsOnly->setEnabled(m_curColumn >= 0);
    ConflictsOnly->setChecked(m_curColumn >= 0);
    ChangedOnly = new QCheckBox(QStringLiteral("変更項目のみ表示"), this);
    ChangedOnly->setEnabled(m_newColumn >= 0);
    ChangedOnly->setChecked(true);
    checks->addWidget(ConflictsOnly);
    checks->addWidget(ChangedOnly);
    checks->addStretch(1);
    row->addLayout(checks);
    layout->addLayout(row);
    connect(ConflictsOnly, &QCheckBox::toggled, this, &TReconcileErrorForm::fillGrid);
    connect(ChangedOnly, &QCheckBox::toggled, this, &TReconcileErrorForm::fillGrid);

    auto *buttons = new QHBoxLayout();
    buttons->addStretch(1);
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);
    layout->addLayout(buttons);
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(UpdateData, &QTableWidget::cellChanged, this, &TReconcileErrorForm::cellEdited);
    fillGrid();
}

ReconcileAction TReconcileErrorForm::selectedAction() const
{
    for (int i = 0; i < m_buttons.size(); ++i)
        if (m_buttons.at(i)->isChecked())
            return m_actions.at(i);
    return ReconcileAction::Skip;
}

void TReconcileErrorForm::selectAction(ReconcileAction action)
{
    const int i = int(m_actions.indexOf(action));
    if (i >= 0)
        m_buttons.at(i)->setChecked(true);
}

void TReconcileErrorForm::fillGrid()
{
    if (!ConflictsOnly || !ChangedOnly)   // still being built
        return;
    m_filling = true;
    const ReconcileAction action = selectedAction();
    UpdateData->clearContents();
    UpdateData->setRowCount(1);
    UpdateData->setItem(0, 0, new QTableWidgetItem(QStringLiteral("<レコードなし>")));
    m_rowEntries.clear();
    auto cell = [](const QString &text, bool editable) {
        auto *item = new QTableWidgetItem(text);
        if (!editable)
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        return item;
    };
    for (int i = 0; i < m_entries.size(); ++i) {
        const Entry &e = m_entries.at(i);
        if (ConflictsOnly->isChecked() && e.curText == NoChange)
            continue;
        // A delete has no wanted values: the box is disabled there and must not hide every row.
        if (ChangedOnly->isChecked() && ChangedOnly->isEnabled() && e.newText == NoChange)
            continue;
        const int r = int(m_rowEntries.size());
        UpdateData->setRowCount(r + 1);
        m_rowEntries << i;
        UpdateData->setItem(r, 0, cell(e.field->displayLabel(), false));
        if (m_newColumn >= 0) {
            QString text = e.newText;
            if (action == ReconcileAction::Correct && e.edited)
                text = e.editedText;
            else if (action == ReconcileAction::Cancel || action == ReconcileAction::Refresh)
                text = NoChange;
            UpdateData->setItem(r, m_newColumn, cell(text, action == ReconcileAction::Correct));
        }
        if (m_curColumn >= 0)
            UpdateData->setItem(r, m_curColumn, cell(e.curText, false));
        if (m_oldColumn >= 0) {
            const bool fromTable = (action == ReconcileAction::Merge || action == ReconcileAction::Refresh)
                && e.curText != NoChange;
            UpdateData->setItem(r, m_oldColumn, cell(fromTable ? e.curText : e.oldText, false));
        }
    }
    m_filling = false;
}

void TReconcileErrorForm::cellEdited(int row, int column)
{
    if (m_filling || column != m_newColumn || row >= m_rowEntries.size()
        || selectedAction() != ReconcileAction::Correct)
        return;
    Entry &e = m_entries[m_rowEntries.at(row)];
    e.editedText = UpdateData->item(row, column)->text();
    e.edited = true;
}

ReconcileAction HandleReconcileError(ClientDataSet &dataSet, UpdateKind kind, const ReconcileError &error)
{
    TReconcileErrorForm form(dataSet, kind, error);
    if (ModalForms::exec(form) != mrOk)
        return ReconcileAction::Abort;
    const ReconcileAction action = form.selectedAction();
    if (action == ReconcileAction::Correct)
        for (const TReconcileErrorForm::Entry &e : form.entries())
            if (e.edited)
                e.field->setNewValue(valueOfText(*e.field, e.editedText));
    return action;
}
