#include "management/imexport/FormImExport.h"

#include <stdexcept>

#include <QButtonGroup>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "data/ModalForm.h"
#include "management/imexport/ExchangeText.h"
#include "management/imexport/FieldMatch.h"
#include "management/imexport/FormImport.h"
#include "platform/db/Database.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/SaveFileDialogAskedByCaller.h"
#include "platform/ui/WaitCursor.h"

namespace {

QGroupBox *radioGroup(const QString &title, const QStringList &items, QButtonGroup *&group, QWidget *parent,
                      int columns = 4)
{
    auto *box = new QGroupBox(title, parent);
    auto *grid = new QGridLayout(box);
    group = new QButtonGroup(box);
    for (int i = 0; i < items.size(); ++i) {
        auto *b = new QRadioButton(items.at(i), box);
        group->addButton(b, i);
        grid->addWidget(b, i / columns, i % columns);
    }
    group->button(0)->setChecked(true);
    return box;
}

QLabel *note(const QString &text, QWidget *parent, const QString &style = QString())
{
    auto *l = new QLabel(text, parent);
    l->setWordWrap(true);
    if (!style.isEmpty())
        l->setStyleSheet(style);
    return l;
}

} // namespace

TFormImExport::TFormImExport(Database &db, QWidget *parent) : QDialog(parent), m_db(db)
{
    setWindowTitle(QStringLiteral("インポート・エクスポート"));
    setProperty("HelpContext", 10109);
    auto *v = new QVBoxLayout(this);
    PageControl1 = new QTabWidget(this);
    v->addWidget(PageControl1);

    TabImport = new QWidget(PageControl1);
    auto *iv = new QVBoxLayout(TabImport);
    iv->addWidget(note(QStringLiteral("外部のデータを今開いている家計簿に取り込みます。"), TabImport));
    FrBtnPomuIm = new QRadioButton(QStringLiteral("ぽむぬろ君形式"), TabImport);
    FrBtnSyousaiIm = new QRadioButton(QStringLiteral("その他の形式"), TabImport);
    FrBtnPomuIm->setChecked(true);
    iv->addWidget(FrBtnPomuIm);
    iv->addWidget(FrBtnSyousaiIm);
    iv->addWidget(note(QStringLiteral("テキスト形式、CSV形式　で保存された汎用データです。"), TabImport));
    iv->addWidget(radioGroup(QStringLiteral("費目・口座名の読込方法"),
                             {QStringLiteral("既存の費目・口座名があれば自動的に対応させる。"),
                              QStringLiteral("費目・口座名の対応を手動で設定する。")},
                             RdoGrpAutoImport, TabImport, 1));
    iv->addWidget(note(QStringLiteral("万一に備えて実行前にバックアップを行なってください。"), TabImport,
                       QStringLiteral("color: red")));
    auto *ib = new QHBoxLayout;
    BtnImport = new QPushButton(QStringLiteral("入力実行"), TabImport);
    auto *cancelIm = new QPushButton(QStringLiteral("キャンセル"), TabImport);
    ib->addStretch();
    ib->addWidget(BtnImport);
    ib->addWidget(cancelIm);
    iv->addStretch();
    iv->addLayout(ib);

    TabExport = new QWidget(PageControl1);
    auto *ev = new QVBoxLayout(TabExport);
    ev->addWidget(note(QStringLiteral("全ての家計簿データをテキストデータに変換して出力します。"), TabExport));
    FrBtnPomuEx = new QRadioButton(QStringLiteral("ぽむぬろ君形式"), TabExport);
    FrBtnSyousaiEx = new QRadioButton(QStringLiteral("その他の形式"), TabExport);
    FrBtnPomuEx->setChecked(true);
    ev->addWidget(FrBtnPomuEx);
    ev->addWidget(note(QStringLiteral("ぽむぬろ君の家計簿を統合するのに使用します。"), TabExport));
    ev->addWidget(FrBtnSyousaiEx);
    ev->addWidget(note(QStringLiteral("他のソフトでデータを読み込むとき使用します。"), TabExport));
    PnlSettei = new QGroupBox(QStringLiteral("データ形式"), TabExport);
    auto *sv = new QVBoxLayout(PnlSettei);
    auto *dateRow = new QHBoxLayout;
    dateRow->addWidget(new QLabel(QStringLiteral("日付の形式"), PnlSettei));
    CmbBoxDate = new QComboBox(PnlSettei);
    CmbBoxDate->addItems(kExchangeDateFormats);
    dateRow->addWidget(CmbBoxDate);
    dateRow->addStretch();
    sv->addLayout(dateRow);
    sv->addWidget(radioGroup(QStringLiteral("区切り記号"), kKugiriItems, RGrpKugiri, PnlSettei));
    sv->addWidget(radioGroup(QStringLiteral("一行目にフィールド名"), {QStringLiteral("あり"), QStringLiteral("なし")},
                             RGrpFieldName, PnlSettei));
    sv->addWidget(radioGroup(QStringLiteral("文字列の囲い記号"), kKakoiItems, RGrpKakoi, PnlSettei));
    ev->addWidget(PnlSettei);
    auto *eb = new QHBoxLayout;
    BtnExport = new QPushButton(QStringLiteral("出力実行"), TabExport);
    auto *cancelEx = new QPushButton(QStringLiteral("キャンセル"), TabExport);
    eb->addStretch();
    eb->addWidget(BtnExport);
    eb->addWidget(cancelEx);
    ev->addStretch();
    ev->addLayout(eb);

    PageControl1->addTab(TabImport, QStringLiteral("インポート"));
    PageControl1->addTab(TabExport, QStringLiteral("エクスポート"));
    PageControl1->setCurrentWidget(TabExport);

    connect(BtnImport, &QPushButton::clicked, this, &TFormImExport::BtnImportClick);
    connect(BtnExport, &QPushButton::clicked, this, &TFormImExport::BtnExportClick);
    connect(cancelIm, &QPushButton::clicked, this, &QDialog::reject);
    connect(cancelEx, &QPushButton::clicked, this, &QDialog::reject);
    connect(FrBtnPomuEx, &QRadioButton::toggled, this, &TFormImExport::FrBtnSyousaiExClick);
    FrBtnSyousaiExClick();
}

void TFormImExport::FrBtnSyousaiExClick()
{
    PnlSettei->setEnabled(FrBtnSyousaiEx->isChecked());
}

void TFormImExport::BtnImportClick()
{
    m_export = false;
    m_done = false;
    const bool own = FrBtnPomuIm->isChecked();
    const QString filter = own ? QStringLiteral("ぽむぬろ君形式 (*.pep);;すべて (*)")
                               : QStringLiteral("CSV形式,テキスト形式 (*.csv *.txt);;CSV形式 (*.csv);;"
                                                "テキスト形式 (*.txt);;すべて (*)");
    const QString name = OpenFileDialog(this, QStringLiteral("インポート"),
                                        own ? QStringLiteral("ruzuvizura.pep") : QStringLiteral("ruzuvizura.csv"),
                                        filter);
    if (name.isEmpty())
        return;
    m_importFile = name;
    accept();
}

void TFormImExport::BtnExportClick()
{
    m_export = true;
    const bool pomu = FrBtnPomuEx->isChecked();
    QString suffix;
    QString filter;
    if (pomu) {
        suffix = QStringLiteral("pep");
        filter = QStringLiteral("ぽむぬろ君形式 (*.pep);;すべて (*)");
    } else if (RGrpKugiri->checkedId() != 0 || RGrpKakoi->checkedId() != 0) {
        suffix = QStringLiteral("txt");
        filter = QStringLiteral("テキスト形式 (*.txt);;CSV形式 (*.csv);;すべて (*)");
    } else {
        suffix = QStringLiteral("csv");
        filter = QStringLiteral("CSV形式 (*.csv);;テキスト形式 (*.txt);;すべて (*)");
    }
    // The file dialog leaves the overwrite question to ExportEntries, which
    // asks it once the final name (with its extension) is known.
    QString name = SaveFileDialogAskedByCaller(this, QStringLiteral("エクスポート"), QStringLiteral("ruzuvizura.") + suffix,
                                               filter, suffix);
    if (name.isEmpty())
        return;
    const QFileInfo info(name);
    if (pomu)
        name = info.path() + u'/' + info.completeBaseName() + QStringLiteral(".pep");
    else if (info.suffix().isEmpty())
        name += u'.' + suffix;
    ExportOptions options;
    options.ownFormat = name.endsWith(QStringLiteral(".pep"));
    if (options.ownFormat && !pomu &&
        MessageDlg(QStringLiteral("ぽむぬろ君形式の場合、詳細設定は無視されます。"), MsgDlgType::Confirmation,
                   mbOKCancel) != mrOk)
        return;
    options.delimiter = KugiriChar(RGrpKugiri->checkedId());
    options.quote = KakoiChar(RGrpKakoi->checkedId());
    options.captionLine = RGrpFieldName->checkedId() == 0;
    options.dateFormat = CmbBoxDate->currentText();
    if (ExportEntries(options, name) >= 0) {
        m_done = true;
        accept();
    }
}

int TFormImExport::ExportEntries(const ExportOptions &options, const QString &fileName)
{
    if (QFile::exists(fileName) &&
        MessageDlg(QStringLiteral("上書きしますか？"), MsgDlgType::Confirmation, mbYesNo) != mrYes)
        return -1;
    int count = 0;
    try {
        WaitCursor wait;
        count = ::ExportEntries(m_db, options, fileName);
    } catch (const EDatabaseError &e) {
        MessageDlg(QStringLiteral("エクスポートできませんでした。\n") + e.message(), MsgDlgType::Error, mbOK);
        return -1;
    } catch (const std::runtime_error &e) {
        // The file errors of the writer carry a Japanese text.
        MessageDlg(QString::fromStdString(e.what()), MsgDlgType::Error, mbOK);
        return -1;
    }
    MessageDlg(QStringLiteral("%1 レコード　出力しました。").arg(count), MsgDlgType::Confirmation, mbOK);
    return count;
}

void TFormImExport::RunImportExport()
{
    // The main window is hidden while the dialog runs, and this dialog while
    // the import window runs; without this, closing a choice dialog of the
    // import would leave no window shown and end the program.
    const bool quitOnClose = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    struct Restore
    {
        bool value;
        ~Restore() { QGuiApplication::setQuitOnLastWindowClosed(value); }
    } restore{quitOnClose};
    while (!m_done) {
        raise();
        if (ModalForms::exec(*this) != QDialog::Accepted || m_export)
            break;
        TFormImport import(m_db, m_importFile, RdoGrpAutoImport->checkedId() == 0, this);
        m_done = import.Run();
    }
}
