#include "data/FormSelectData.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/BookFolders.h"
#include "data/DatMod.h"
#include "data/ModalForm.h"
#include "data/Utils.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WaitCursor.h"

namespace {

bool sameFolder(const QString &a, const QString &b)
{
    auto clean = [](QString s) {
        while (s.size() > 1 && (s.endsWith(QLatin1Char('/')) || s.endsWith(QLatin1Char('\\'))))
            s.chop(1);
        return s;
    };
    return clean(a) == clean(b);
}

// The book list's items: a selected book on a soft blue gradient with a raised
// frame, the name single-line and vertically centred, generously spaced.
class BookItemDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const int text = option.fontMetrics.height();
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), int(text * 1.4 * 1.3) + 8);
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        painter->save();
        painter->fillRect(option.rect, option.palette.base());
        const QRect r = option.rect.adjusted(4, 4, -4, -4);
        if (option.state & QStyle::State_Selected) {
            const QColor base = ColorFromBgr(0xFFDBAB);
            QLinearGradient gradient(r.topLeft(), r.bottomLeft());
            gradient.setColorAt(0, ShiftColorLuminance(base, 25));
            gradient.setColorAt(1, base);
            painter->fillRect(r, gradient);
            painter->setPen(option.palette.light().color());
            painter->drawLine(r.topLeft(), r.topRight());
            painter->drawLine(r.topLeft(), r.bottomLeft());
            painter->setPen(option.palette.dark().color());
            painter->drawLine(r.bottomLeft(), r.bottomRight());
            painter->drawLine(r.topRight(), r.bottomRight());
        }
        painter->setPen(option.palette.text().color());
        painter->drawText(r.adjusted(10, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                          index.data().toString());
        painter->restore();
    }
};

} // namespace

TFormSelectData::TFormSelectData(QWidget *parent, bool standalone)
    : QDialog(standalone ? nullptr : parent), Standalone(standalone)
{
    setObjectName(QStringLiteral("FormSelectData"));
    setWindowTitle(QStringLiteral("家計簿を選択"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("家計簿を選択してください。"), this));
    ListBox1 = new QListWidget(this);
    ListBox1->setItemDelegate(new BookItemDelegate(ListBox1));
    layout->addWidget(ListBox1, 1);

    PnlSimple = new QWidget(this);
    {
        auto *h = new QHBoxLayout(PnlSimple);
        h->setContentsMargins(0, 0, 0, 0);
        ShpBtnSyousai = new QPushButton(QStringLiteral("詳細"), PnlSimple);
        ShpSimpleOpen = new QPushButton(QStringLiteral("開く"), PnlSimple);
        ShpSimpleOpen->setDefault(true);
        h->addWidget(ShpBtnSyousai);
        h->addStretch(1);
        h->addWidget(ShpSimpleOpen);
    }
    layout->addWidget(PnlSimple);

    PnlEdit = new QWidget(this);
    {
        auto *v = new QVBoxLayout(PnlEdit);
        v->setContentsMargins(0, 0, 0, 0);
        v->addWidget(new QLabel(QStringLiteral("データを保存するフォルダ"), PnlEdit));
        auto *dirRow = new QHBoxLayout();
        LbEditDir = new QLineEdit(PnlEdit);
        LbEditDir->setReadOnly(true);
        FrBtnDir = new QPushButton(QStringLiteral("参照"), PnlEdit);
        dirRow->addWidget(LbEditDir, 1);
        dirRow->addWidget(FrBtnDir);
        v->addLayout(dirRow);
        auto *row = new QHBoxLayout();
        FrBtnAddList = new QPushButton(QStringLiteral("リストに追加"), PnlEdit);
        FrBtnName = new QPushButton(QStringLiteral("名称変更"), PnlEdit);
        FrBtnDelete = new QPushButton(QStringLiteral("リストから削除"), PnlEdit);
        row->addWidget(FrBtnAddList);
        row->addWidget(FrBtnName);
        row->addWidget(FrBtnDelete);
        v->addLayout(row);
        auto *bottom = new QHBoxLayout();
        FrBtnHelp = new QPushButton(QStringLiteral("ヘルプ"), PnlEdit);
        FrBtnOpen = new QPushButton(QStringLiteral("開く"), PnlEdit);
        FrBtnCancel = new QPushButton(QStringLiteral("キャンセル"), PnlEdit);
        bottom->addWidget(FrBtnHelp);
        bottom->addStretch(1);
        bottom->addWidget(FrBtnOpen);
        bottom->addWidget(FrBtnCancel);
        v->addLayout(bottom);
    }
    layout->addWidget(PnlEdit);
    PnlEdit->hide();

    auto *status = new QHBoxLayout();
    StatusCaption = new QLabel(QStringLiteral("現在のデータ"), this);
    StatusBook = new QLabel(this);
    StatusCaption->setFrameShape(QFrame::StyledPanel);
    StatusBook->setFrameShape(QFrame::StyledPanel);
    status->addWidget(StatusCaption);
    status->addWidget(StatusBook, 1);
    layout->addLayout(status);

    connect(ListBox1, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            SelectBook(row);
    });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { ActionOpenExecute(); });
    connect(ShpSimpleOpen, &QPushButton::clicked, this, [this] { ActionOpenExecute(); });
    connect(FrBtnOpen, &QPushButton::clicked, this, [this] { ActionOpenExecute(); });
    connect(ShpBtnSyousai, &QPushButton::clicked, this, [this] { SetDetailMode(true); });
    connect(FrBtnDir, &QPushButton::clicked, this, &TFormSelectData::SelectFolder);
    connect(FrBtnAddList, &QPushButton::clicked, this, &TFormSelectData::AddList);
    connect(FrBtnName, &QPushButton::clicked, this, &TFormSelectData::RenameBook);
    connect(FrBtnDelete, &QPushButton::clicked, this, &TFormSelectData::ActionDeleteExecute);
    connect(FrBtnCancel, &QPushButton::clicked, this, &TFormSelectData::CancelClick);
    connect(FrBtnHelp, &QPushButton::clicked, this, [] { ShowMessage(NoHelpText()); });

    // Closing without opening a book leaves the start-up cancelled.
    if (DatMod)
        DatMod->StartupCancelled = true;
}

int TFormSelectData::showModal()
{
    StatusBook->setText(CurrentBookName());
    FillBookList();
    return ModalForms::exec(*this);
}

void TFormSelectData::SetDetailMode(bool detail)
{
    DetailMode = detail;
    PnlSimple->setVisible(!detail);
    PnlEdit->setVisible(detail);
}

void TFormSelectData::FillBookList()
{
    BookList.clear();
    ListBox1->blockSignals(true);
    ListBox1->clear();
    const QStringList names = BookNames();
    for (const QString &name : names) {
        BookList << name + QLatin1Char('=') + BookFolder(name);
        ListBox1->addItem(name);
    }
    ListBox1->blockSignals(false);
    int index = names.indexOf(StatusBook->text());
    if (index < 0) {
        if (m_lastIndex < 0)
            index = 0;
        else
            index = qMin(m_lastIndex, int(names.size()) - 1);
    }
    if (index >= 0 && index < names.size()) {
        ListBox1->setCurrentRow(index);
        SelectBook(index);
    } else {
        LbEditDir->clear();
    }
    updateActions();
}

void TFormSelectData::SelectBook(int index)
{
    if (index < 0 || index >= ListBox1->count())
        return;
    m_lastIndex = index;
    const QString name = ListBox1->item(index)->text();
    if (ListBox1->currentRow() != index) {
        ListBox1->blockSignals(true);
        ListBox1->setCurrentRow(index);
        ListBox1->blockSignals(false);
    }
    LbEditDir->setText(BookFolder(name));
    StatusBook->setText(name);
}

QString TFormSelectData::selectedName() const
{
    const int row = ListBox1->currentRow();
    return row < 0 ? QString() : ListBox1->item(row)->text();
}

void TFormSelectData::updateActions()
{
    FrBtnDelete->setEnabled(ListBox1->count() > 1);
}

bool TFormSelectData::ActionOpenExecute()
{
    const QString name = selectedName();
    if (name.isEmpty())
        return false;
    WaitCursor wait;
    QString folder = LbEditDir->text();
    const QString shown = folder;
    if (DatMod->OpenDataFolder(name, folder) && DatMod->FolderReady) {
        if (DatMod->LoginAndOpen() && DatMod->DataOpen) {
            DatMod->StartupCancelled = false;
            done(mrOk);
            return true;
        }
        return false;
    }
    // The opening may have stored a corrected folder for a moved book.
    if (!sameFolder(BookFolder(name), shown))
        FillBookList();
    return false;
}

void TFormSelectData::SelectFolder()
{
    const QString name = selectedName();
    if (name.isEmpty())
        return;
    const QString chosen = SelectFolderDialog(this, QStringLiteral("データフォルダを指定してください。"),
                                              LbEditDir->text());
    if (chosen.isEmpty())
        return;
    if (MessageDlg(name + QStringLiteral(" のデータフォルダを変更していいですか？"), MsgDlgType::Confirmation,
                   mbYesNo)
        == mrYes) {
        RegisterBook(name, chosen, false);
        FillBookList();
    } else {
        ListBox1->setCurrentRow(-1);
        LbEditDir->clear();
    }
}

void TFormSelectData::AddList()
{
    const QString chosen = SelectFolderDialog(this, QStringLiteral("データフォルダを指定してください。"),
                                              LbEditDir->text());
    if (chosen.isEmpty())
        return;
    const QStringList names = BookNames();
    for (int i = 0; i < names.size(); ++i) {
        if (sameFolder(BookFolder(names.at(i)), chosen)) {
            SelectBook(i);
            MessageDlg(QStringLiteral("すでに登録されています。"), MsgDlgType::Confirmation, mbOK);
            return;
        }
    }
    QString name = ::NewBookName();
    if (!AskNewBookName(name))
        return;
    // With no other book listed, the added one is the one to open next.
    RegisterBook(name, chosen, BookNames().isEmpty());
    StatusBook->setText(name);
    FillBookList();
}

void TFormSelectData::RenameBook()
{
    const QString oldName = selectedName();
    if (oldName.isEmpty())
        return;
    QString newName = oldName;
    if (!AskNewBookName(newName))
        return;
    ::RenameBook(oldName, newName);
    // The open book keeps its new name too, so its next backup is labelled right.
    if (DatMod && DatMod->BookName == oldName)
        DatMod->BookName = newName;
    if (StatusBook->text() == oldName)
        StatusBook->setText(newName);
    FillBookList();
    const int index = BookNames().indexOf(newName);
    if (index >= 0)
        SelectBook(index);
}

void TFormSelectData::ActionDeleteExecute()
{
    const QString name = selectedName();
    if (name.isEmpty())
        return;
    if (ListBox1->count() <= 1) {
        MessageDlg(QStringLiteral("リストを空にすることはできません。"), MsgDlgType::Confirmation, mbOK);
        return;
    }
    UnregisterBook(name);
    if (StatusBook->text() == name)
        StatusBook->setText(CurrentBookName());
    FillBookList();
}

void TFormSelectData::CancelClick()
{
    if (DatMod)
        DatMod->StartupCancelled = true;
    done(mrCancel);
}
