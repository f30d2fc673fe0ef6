#include "management/FormHenkanKouza.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "management/Ver1Data.h"
#include "platform/system/ShiftJis.h"
#include "platform/ui/Dialogs.h"

namespace {

const QString Genkin = QStringLiteral("現金");
constexpr int PreviousRole = Qt::UserRole + 1;

// The account column's editor: the names typed so far to pick from, or a new
// one of at most 16 characters.
class AccountDelegate : public QStyledItemDelegate
{
public:
    AccountDelegate(TFormHenkanKouza *form) : QStyledItemDelegate(form), m_form(form) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        auto *combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->addItems(m_form->AccountNames());
        combo->lineEdit()->setMaxLength(16);
        combo->setAttribute(Qt::WA_InputMethodEnabled, true);
        return combo;
    }
    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        static_cast<QComboBox *>(editor)->setCurrentText(index.data().toString());
    }
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        model->setData(index, static_cast<QComboBox *>(editor)->currentText().trimmed());
    }

private:
    TFormHenkanKouza *m_form;
};

QTableWidget *makeEditor(const QString &himokuTitle, const QString &kouzaTitle, QWidget *parent)
{
    auto *t = new QTableWidget(0, 2, parent);
    t->setHorizontalHeaderLabels({himokuTitle, kouzaTitle});
    t->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    t->verticalHeader()->hide();
    t->setEditTriggers(QAbstractItemView::AllEditTriggers);
    return t;
}

} // namespace

TFormHenkanKouza::TFormHenkanKouza(const Ver1Data &old, TKouzaHenkanList &mapping, QWidget *parent)
    : QDialog(parent), m_mapping(mapping)
{
    setObjectName(QStringLiteral("FormHenkanKouza"));
    setWindowTitle(QStringLiteral("口座設定"));
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(QStringLiteral("費目ごとに入出金時に使用する口座を設定できます。口座名を入力してください。"
                                            "(全て現金でもOKです。)"),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto *lists = new QHBoxLayout();
    ValListEditIri = makeEditor(QStringLiteral("収入費目"), QStringLiteral("入金先 口座名"), this);
    ValListEditDeru = makeEditor(QStringLiteral("支出費目"), QStringLiteral("出金元 口座名"), this);
    lists->addWidget(ValListEditIri);
    lists->addWidget(ValListEditDeru);
    layout->addLayout(lists, 1);
    LbHideHimoku = new QLabel(QStringLiteral("注意）ここで表示される費目は、現在使用していないけど過去にデータが存在する"
                                             "費目も含まれます。"),
                              this);
    LbHideHimoku->setWordWrap(true);
    LbHideHimoku->hide();
    layout->addWidget(LbHideHimoku);
    auto *later = new QLabel(QStringLiteral("口座の名称、種類は変換完了後、口座の費目設定で修正してください。"), this);
    later->setWordWrap(true);
    layout->addWidget(later);
    auto *buttons = new QHBoxLayout();
    buttons->addStretch(1);
    FrBtnExec = new QPushButton(QStringLiteral("OK"), this);
    FrBtnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    buttons->addWidget(FrBtnExec);
    buttons->addWidget(FrBtnCancel);
    layout->addLayout(buttons);
    resize(640, 480);

    bool pastOnly = false;
    fill(ValListEditIri, THenkan::HimokuNames(old, 1, &pastOnly));
    fill(ValListEditDeru, THenkan::HimokuNames(old, 2, &pastOnly));
    LbHideHimoku->setVisible(pastOnly);

    for (QTableWidget *editor : {ValListEditIri, ValListEditDeru}) {
        editor->setItemDelegateForColumn(1, new AccountDelegate(this));
        connect(editor, &QTableWidget::itemChanged, this, &TFormHenkanKouza::itemChanged);
    }
    connect(FrBtnExec, &QPushButton::clicked, this, &TFormHenkanKouza::FrBtnExecClick);
    connect(FrBtnCancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
}

void TFormHenkanKouza::fill(QTableWidget *editor, const QStringList &names)
{
    editor->setRowCount(int(names.size()));
    for (int r = 0; r < names.size(); ++r) {
        auto *name = new QTableWidgetItem(names.at(r));
        name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        editor->setItem(r, 0, name);
        auto *account = new QTableWidgetItem(Genkin);
        account->setData(PreviousRole, Genkin);
        editor->setItem(r, 1, account);
        if (toShiftJis(names.at(r)).size() > 20)
            m_longName = true;
    }
}

QStringList TFormHenkanKouza::AccountNames() const
{
    QStringList names;
    for (const QTableWidget *editor : {ValListEditIri, ValListEditDeru}) {
        for (int r = 0; r < editor->rowCount(); ++r) {
            const QString name = editor->item(r, 1)->text();
            if (!name.isEmpty() && !names.contains(name))
                names << name;
        }
    }
    names.sort();
    return names;
}

void TFormHenkanKouza::SetAccount(QTableWidget *editor, int row, const QString &name)
{
    editor->item(row, 1)->setText(name.trimmed());
}

void TFormHenkanKouza::itemChanged(QTableWidgetItem *item)
{
    if (item->column() != 1)
        return;
    const QString text = item->text();
    if (text.isEmpty()) {
        // A row never goes without an account: the previous one comes back.
        item->setText(item->data(PreviousRole).toString());
        return;
    }
    if (item->data(PreviousRole).toString() != text)
        item->setData(PreviousRole, text);
}

void TFormHenkanKouza::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    QTimer::singleShot(0, this, &TFormHenkanKouza::FormActivate);
}

void TFormHenkanKouza::FormActivate()
{
    if (m_activated)
        return;
    m_activated = true;
    if (m_longName)
        MessageDlg(QStringLiteral("名称が長すぎる費目か存在します。\r\r自動的に長さが調整されますので、後で名称を確認してく"
                                  "ださい。\r現在の名称は費目設定のメモ欄に転記されます。"),
                   MsgDlgType::Information, mbOK);
}

void TFormHenkanKouza::FrBtnExecClick()
{
    m_mapping.clear();
    for (const auto &[editor, kind] : {std::pair{ValListEditIri, 1}, std::pair{ValListEditDeru, 2}}) {
        for (int r = 0; r < editor->rowCount(); ++r) {
            TKouzaHenkan entry;
            entry.kind = kind;
            entry.himokuName = editor->item(r, 0)->text();
            entry.kouzaName = editor->item(r, 1)->text();
            m_mapping << entry;
        }
    }
    done(mrOk);
}
