#include "management/imexport/FormZei.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "data/ModalForm.h"
#include "data/Vocabulary.h"
#include "management/imexport/ImportRun.h"

TFormZei::TFormZei(TImportRun &run, QWidget *parent) : QDialog(parent), m_run(run)
{
    setWindowTitle(QStringLiteral("消費税設定"));
    auto *v = new QVBoxLayout(this);
    v->addWidget(new QLabel(QStringLiteral("支出費目の消費税扱いを費目ごとにして指定します。"), this));
    VlLstZei = new QTableWidget(0, 2, this);
    VlLstZei->setHorizontalHeaderLabels({QStringLiteral("支出費目"), QStringLiteral("税扱い")});
    VlLstZei->horizontalHeader()->setStretchLastSection(true);
    VlLstZei->verticalHeader()->hide();
    v->addWidget(VlLstZei);
    const THimokuConvert &c = run.HimokuConvert;
    for (int i = 1; i <= c.Count(); ++i) {
        if (c.Items.at(i).kind != 2)
            continue;
        m_entries << i;
        const int row = VlLstZei->rowCount();
        VlLstZei->insertRow(row);
        auto *key = new QTableWidgetItem(c.Items.at(i).toName);
        key->setFlags(key->flags() & ~Qt::ItemIsEditable);
        VlLstZei->setItem(row, 0, key);
        auto *pick = new QComboBox(VlLstZei);
        pick->addItems({QStringLiteral("内税"), QStringLiteral("外税"), QStringLiteral("対象外")});
        pick->setCurrentText(ZeiAtukaiNames[size_t(std::clamp(c.Items.at(i).zeiAtukai, 0, 3))].toString());
        VlLstZei->setCellWidget(row, 1, pick);
    }
    v->addWidget(new QLabel(QStringLiteral("品名に以下の単語が含まれる場合、"), this));
    ChkBoxSyohizei = new QCheckBox(QStringLiteral("消費税"), this);
    ChkBoxZei = new QCheckBox(QStringLiteral("税"), this);
    ChkBoxSyohizei->setChecked(true);
    ChkBoxZei->setChecked(true);
    v->addWidget(ChkBoxSyohizei);
    v->addWidget(ChkBoxZei);
    v->addWidget(new QLabel(QStringLiteral("その他 （改行で複数記入可）"), this));
    MemoKeyWord = new QPlainTextEdit(this);
    v->addWidget(MemoKeyWord);
    v->addWidget(new QLabel(QStringLiteral("「対象外」にします。"), this));
    // The first two lines are the two boxes' words (empty when not ticked);
    // a list of two lines, as an OK with an empty memo leaves, restores them too.
    QStringList words = run.ZeiKeyWords;
    if (words.size() >= 2) {
        ChkBoxSyohizei->setChecked(words.at(0) == u"消費税");
        ChkBoxZei->setChecked(words.at(1) == u"税");
        words = words.mid(2);
    }
    MemoKeyWord->setPlainText(words.join(u'\n'));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    v->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        BtnOKClick();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TFormZei::BtnOKClick()
{
    for (int row = 0; row < m_entries.size(); ++row) {
        const QString name = static_cast<QComboBox *>(VlLstZei->cellWidget(row, 1))->currentText();
        int treatment = 0;
        for (int t = 0; t < 4; ++t)
            if (ZeiAtukaiNames[size_t(t)] == name)
                treatment = t;
        m_run.HimokuConvert.Items[m_entries.at(row)].zeiAtukai = treatment;
    }
    QStringList words{ChkBoxSyohizei->isChecked() ? ChkBoxSyohizei->text() : QString(),
                      ChkBoxZei->isChecked() ? ChkBoxZei->text() : QString()};
    for (const QString &line : MemoKeyWord->toPlainText().split(u'\n'))
        if (!line.trimmed().isEmpty())
            words << line.trimmed();
    m_run.ZeiKeyWords = words;
}

bool TFormZei::Ask(TImportRun &run)
{
    TFormZei form(run);
    return ModalForms::exec(form) == QDialog::Accepted;
}
