#include "data/FormNewData.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "data/BookFolders.h"
#include "data/BookSchema.h"
#include "data/DatMod.h"
#include "data/FormInputNewName.h"
#include "data/ModalForm.h"
#include "data/MyRegistryIniFile.h"
#include "data/Utils.h"
#include "platform/db/Field.h"
#include "platform/db/Table.h"
#include "platform/system/Folders.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/WaitCursor.h"

void InsertZeroDataRow(Table &table)
{
    // The new-record handler must not number this row: it is row 0.
    const bool keep = DatMod ? DatMod->KeepDataNo : false;
    if (DatMod)
        DatMod->KeepDataNo = true;
    try {
        if (!table.isActive())
            table.open();
        table.first();
        table.insert();
        // Every column from the one definition of row 0, over the new-line
        // defaults (today's date among them), so the copy's row 0 is the
        // template's.
        for (const auto &[name, value] : BookSchema::journalRowZero())
            table.fieldByName(name)->setValue(value);
        table.post();
    } catch (...) {
        if (DatMod)
            DatMod->KeepDataNo = keep;
        throw;
    }
    if (DatMod)
        DatMod->KeepDataNo = keep;
}

namespace {

const QString BaseFolderName = QStringLiteral("PomuZenitDir");

QPushButton *bigButton(const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setMinimumHeight(40);
    return b;
}

// Empties a table of the copy through a table of its own on the book.
void emptyTableOf(Database &db, const QString &fileName)
{
    Table table(db, fileName);
    table.emptyTable();
}

} // namespace

TFormNewData::TFormNewData(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormNewData"));
    setWindowTitle(QStringLiteral("家計簿の新規作成"));
    setWindowFlag(Qt::Tool);
    auto *layout = new QVBoxLayout(this);
    JvPageControl1 = new QStackedWidget(this);
    layout->addWidget(JvPageControl1);

    // Base folder.
    TabSelectDir = new QWidget(JvPageControl1);
    {
        auto *v = new QVBoxLayout(TabSelectDir);
        v->addWidget(new QLabel(QStringLiteral("家計簿データの保存場所の設定"), TabSelectDir));
        auto *group = new QGroupBox(QStringLiteral("どちらか選択してください。"), TabSelectDir);
        auto *g = new QVBoxLayout(group);
        ActSenyouDir = new QRadioButton(QStringLiteral("専用フォルダ（推奨）"), group);
        EditSenyoDir = new QLineEdit(group);
        BtnSenyoDir = new QPushButton(QStringLiteral("変更"), group);
        ActMyDocument = new QRadioButton(QStringLiteral("マイドキュメント"), group);
        EditMyDocument = new QLineEdit(group);
        BtnMyDocument = new QPushButton(QStringLiteral("変更"), group);
        auto row = [group](QLineEdit *edit, QPushButton *button) {
            auto *h = new QHBoxLayout();
            h->addWidget(edit, 1);
            h->addWidget(button);
            return h;
        };
        g->addWidget(ActSenyouDir);
        g->addLayout(row(EditSenyoDir, BtnSenyoDir));
        g->addWidget(ActMyDocument);
        g->addLayout(row(EditMyDocument, BtnMyDocument));
        LbComment = new QLabel(QStringLiteral("一台のパソコンを複数のユーザ設定で使用している場合、マイドキュメント下に保存す"
                                              "ると他人のデータを上書きしてしまうなどの間違いを防げます。"),
                               group);
        LbComment->setWordWrap(true);
        g->addWidget(LbComment);
        v->addWidget(group);
        auto *buttons = new QHBoxLayout();
        buttons->addStretch(1);
        ActiOK = new QPushButton(QStringLiteral("OK"), TabSelectDir);
        auto *cancel = new QPushButton(QStringLiteral("キャンセル"), TabSelectDir);
        buttons->addWidget(ActiOK);
        buttons->addWidget(cancel);
        v->addLayout(buttons);
        connect(ActSenyouDir, &QRadioButton::toggled, this, &TFormNewData::updateBaseFolderPage);
        connect(ActMyDocument, &QRadioButton::toggled, this, &TFormNewData::updateBaseFolderPage);
        connect(EditSenyoDir, &QLineEdit::textChanged, this, &TFormNewData::updateBaseFolderPage);
        connect(EditMyDocument, &QLineEdit::textChanged, this, &TFormNewData::updateBaseFolderPage);
        auto browse = [this](QLineEdit *edit) {
            const QString chosen = SelectFolderDialog(this, QStringLiteral("家計簿データの保存場所の設定"), edit->text());
            if (!chosen.isEmpty())
                edit->setText(chosen);
        };
        connect(BtnSenyoDir, &QPushButton::clicked, this, [=] { browse(EditSenyoDir); });
        connect(BtnMyDocument, &QPushButton::clicked, this, [=] { browse(EditMyDocument); });
        connect(ActiOK, &QPushButton::clicked, this, &TFormNewData::ActiOKExecute);
        connect(cancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
    }
    JvPageControl1->addWidget(TabSelectDir);

    // New or copy.
    TabSelectData = new QWidget(JvPageControl1);
    {
        auto *v = new QVBoxLayout(TabSelectData);
        v->addWidget(new QLabel(QStringLiteral("どちらかクリックしてください。"), TabSelectData));
        FrBtnCreateNew = bigButton(QStringLiteral("新しく家計簿データを作成する"), TabSelectData);
        FrBtnCopy = bigButton(QStringLiteral("指定した家計簿の設定をコピーして始める。"), TabSelectData);
        v->addWidget(FrBtnCreateNew);
        v->addWidget(FrBtnCopy);
        auto *cancel = new QPushButton(QStringLiteral("キャンセル"), TabSelectData);
        v->addWidget(cancel, 0, Qt::AlignRight);
        connect(FrBtnCreateNew, &QPushButton::clicked, this, &TFormNewData::FrBtnCreateNewClick);
        connect(FrBtnCopy, &QPushButton::clicked, this, &TFormNewData::FrBtnCopyClick);
        connect(cancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
    }
    JvPageControl1->addWidget(TabSelectData);

    // Copy source and option.
    TabCopy = new QWidget(JvPageControl1);
    {
        auto *v = new QVBoxLayout(TabCopy);
        v->addWidget(new QLabel(QStringLiteral("コピーする元の家計簿を選択してください。"), TabCopy));
        ListBox1 = new QListWidget(TabCopy);
        v->addWidget(ListBox1, 1);
        v->addWidget(new QLabel(QStringLiteral("データを保存するフォルダ"), TabCopy));
        LbEditDir = new QLineEdit(TabCopy);
        LbEditDir->setReadOnly(true);
        v->addWidget(LbEditDir);
        RdGrpCopyItem = new QGroupBox(QStringLiteral("コピーの方法"), TabCopy);
        auto *g = new QVBoxLayout(RdGrpCopyItem);
        CopyItems = new QButtonGroup(this);
        const QStringList items = {QStringLiteral(" 家計簿データ含めすべてコピーする。"),
                                   QStringLiteral(" 設定と予約カードをコピーする。"),
                                   QStringLiteral(" 設定だけコピーする。")};
        for (int i = 0; i < items.size(); ++i) {
            auto *r = new QRadioButton(items.at(i), RdGrpCopyItem);
            CopyItems->addButton(r, i);
            g->addWidget(r);
        }
        CopyItems->button(CopyAll)->setChecked(true);
        v->addWidget(RdGrpCopyItem);
        auto *buttons = new QHBoxLayout();
        buttons->addStretch(1);
        ShpCopyExec = new QPushButton(QStringLiteral("作成開始"), TabCopy);
        auto *cancel = new QPushButton(QStringLiteral("キャンセル"), TabCopy);
        buttons->addWidget(ShpCopyExec);
        buttons->addWidget(cancel);
        v->addLayout(buttons);
        connect(ListBox1, &QListWidget::currentRowChanged, this, &TFormNewData::ListBox1Click);
        connect(ShpCopyExec, &QPushButton::clicked, this, &TFormNewData::ShpCopyExecClick);
        connect(cancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
    }
    JvPageControl1->addWidget(TabCopy);
}

QString TFormNewData::dedicatedFolder()
{
    // There are no drive letters here: the dedicated folder sits at the top of
    // the user's own file area, where the user may write.
    return JoinPath(QDir::homePath(), BaseFolderName);
}

QString TFormNewData::myDocumentsFolder()
{
    return JoinPath(Folders::documentsFolder(), BaseFolderName);
}

void TFormNewData::updateBaseFolderPage()
{
    const bool dedicated = ActSenyouDir->isChecked();
    EditSenyoDir->setEnabled(dedicated);
    BtnSenyoDir->setEnabled(dedicated);
    EditMyDocument->setEnabled(!dedicated);
    BtnMyDocument->setEnabled(!dedicated);
    LbComment->setEnabled(!dedicated);
    ActiOK->setEnabled(!(dedicated ? EditSenyoDir : EditMyDocument)->text().isEmpty());
}

void TFormNewData::ActiOKExecute()
{
    if (!ActiOK->isEnabled())
        return;
    const QString folder = (ActSenyouDir->isChecked() ? EditSenyoDir : EditMyDocument)->text();
    if (CheckFolderWritable(folder))
        done(mrOk);
}

bool TFormNewData::SelectBaseFolder()
{
    JvPageControl1->setCurrentWidget(TabSelectDir);
    EditSenyoDir->setText(dedicatedFolder());
    EditMyDocument->setText(myDocumentsFolder());
    ActSenyouDir->setChecked(true);
    updateBaseFolderPage();
    if (ModalForms::exec(*this) != mrOk)
        return false;
    const QString folder = (ActSenyouDir->isChecked() ? EditSenyoDir : EditMyDocument)->text();
    RegIni->WriteStringAndUpdate(QStringLiteral("CurrentFolders"), QStringLiteral("DataPlace"), folder);
    return true;
}

bool TFormNewData::AskNewBookNameAndPlace(QString &name, QString &place)
{
    TFormInputNewName form(this);
    form.setTitle(QStringLiteral("データの名称を入力してください。"), Qt::black);
    form.DirEditEditKakeiboDir->setText(DatMod->GetDataPlace());
    form.DirEditEditKakeiboDir->DialogTitle = QStringLiteral("家計簿データを保存する場所を選択してください。");
    form.EditKakeiboName->setText(name);
    for (;;) {
        if (ModalForms::exec(form) != mrOk)
            return false;
        name = form.EditKakeiboName->text();
        place = form.DirEditEditKakeiboDir->text().trimmed();
        if (name.isEmpty())
            return false;
        // A book's folder is registered as it is made: a relative one would
        // depend on the folder the program happens to run in. No folder means
        // the place of new books.
        if (place.isEmpty())
            place = DatMod->GetDataPlace();
        if (QDir::isRelativePath(place)) {
            MessageDlg(QStringLiteral("指定されたフォルダは使用できません。\r") + place, MsgDlgType::Error, mbOK);
            continue;
        }
        if (IsRegisteredBook(name)) {
            form.setTitle(QStringLiteral("この名称はすでに使われています。"), Qt::red);
            continue;
        }
        // The name becomes a folder under the place: one that would leave the
        // place or cannot be made is refused here, before anything is made.
        if (!CheckBookName(name))
            continue;
        const QString folder = JoinPath(place, name);
        if (QFileInfo::exists(folder)
            && MessageDlg(QStringLiteral("このフォルダはすでに存在します。\rこのフォルダを使用しますか？\r") + folder,
                          MsgDlgType::Information, mbYesNo)
                   != mrYes)
            continue;
        return true;
    }
}

bool TFormNewData::AskNewBookFolder(QString &name, QString &folder)
{
    QString place;
    if (!AskNewBookNameAndPlace(name, place))
        return false;
    folder = JoinPath(place, name);
    if (!QDir().mkpath(folder)) {
        MessageDlg(QStringLiteral("データフォルダが作れません。\r") + folder, MsgDlgType::Error, mbOK);
        return false;
    }
    return true;
}

bool TFormNewData::CreateNewBook()
{
    QString name = ::NewBookName();
    QString folder;
    if (!AskNewBookFolder(name, folder))
        return false;
    if (!CreateBookFromTemplate(folder))
        return false;
    NewBookName = name;
    RegisterBook(name, folder, true);
    MessageDlg(name + QStringLiteral("　を作成しました。"), MsgDlgType::Information, mbOK);
    DatMod->OpenDataFolder(name, folder);
    return true;
}

void TFormNewData::FrBtnCreateNewClick()
{
    done(CreateNewBook() ? mrOk : mrCancel);
}

int TFormNewData::ShowChoicePage()
{
    JvPageControl1->setCurrentWidget(TabSelectData);
    return ModalForms::exec(*this);
}

void TFormNewData::FrBtnCopyClick()
{
    JvPageControl1->setCurrentWidget(TabCopy);
    FillBookList();
}

void TFormNewData::FillBookList()
{
    BookList.clear();
    ListBox1->clear();
    for (const QString &name : BookNames()) {
        BookList << name + QLatin1Char('=') + BookFolder(name);
        ListBox1->addItem(name);
    }
    if (ListBox1->count() == 0)
        return;
    const int index = m_lastIndex >= 0 && m_lastIndex < ListBox1->count() ? m_lastIndex : 0;
    ListBox1->setCurrentRow(index);
    ListBox1Click();
}

void TFormNewData::ListBox1Click()
{
    const int row = ListBox1->currentRow();
    if (row < 0)
        return;
    m_lastIndex = row;
    LbEditDir->setText(BookFolder(ListBox1->item(row)->text()));
}

int TFormNewData::copyOption() const
{
    return CopyItems->checkedId();
}

void TFormNewData::setCopyOption(int option)
{
    CopyItems->button(option)->setChecked(true);
}

void TFormNewData::ShpCopyExecClick()
{
    const int row = ListBox1->currentRow();
    if (row < 0)
        return;
    WaitCursor wait;
    const QString name = ListBox1->item(row)->text();
    QString folder = LbEditDir->text();
    if (!DatMod->OpenDataFolder(name, folder))
        return;
    done(CopyBook() ? mrOk : mrCancel);
}

bool TFormNewData::CopyBook()
{
    QString name = ::NewBookName();
    QString folder;
    if (!AskNewBookFolder(name, folder))
        return false;
    const QString source = DatMod->DataFolder;

    // Logging in to the source asks its password when it has one, so the copy
    // (encrypted with the same key) can be opened below.
    DatMod->CloseData(true);
    if (!DatMod->LoginAndOpen())
        return false;
    DatMod->CloseData(false);

    if (!ShellCopyFiles(JoinPath(source, QStringLiteral("*")), folder)) {
        MessageDlg(QStringLiteral("データをコピーできません。\r") + folder, MsgDlgType::Error, mbOK);
        return false;
    }
    QString newFolder = folder;
    if (!DatMod->OpenDataFolder(name, newFolder))
        return false;

    const int option = copyOption();
    Database &db = DatMod->MainDatabase;
    {
        Transaction transaction(db, Database::TransactionMode::Exclusive);
        if (option == CopySettingsAndCards || option == CopySettingsOnly) {
            // The journal keeps its row 0, which every book has.
            Table master(db, QStringLiteral("Master.DB"));
            master.emptyTable();
            InsertZeroDataRow(master);
            master.close();
            emptyTableOf(db, QStringLiteral("Yosan.db"));
        }
        if (option == CopySettingsOnly)
            emptyTableOf(db, QStringLiteral("ReserveList.DB"));
        // The diary is the user's own writing of the source book: never copied.
        emptyTableOf(db, QStringLiteral("Memo.db"));
        transaction.commit();
    }
    NewBookName = name;
    RegisterBook(name, newFolder, true);
    return true;
}
