#include "management/FormOldDataInport.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "management/Ver1Data.h"
#include "platform/ui/Dialogs.h"

TFormOldDataInport::TFormOldDataInport(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormOldDataInport"));
    setWindowTitle(QStringLiteral("Ver1データのインポート"));
    auto *layout = new QVBoxLayout(this);
    RdBtnOther = new QRadioButton(QStringLiteral("その他の場所"), this);
    RdBtnOther->setChecked(true);
    layout->addWidget(RdBtnOther);
    layout->addWidget(new QLabel(QStringLiteral("データフォルダを指定してください。"), this));
    auto *row = new QHBoxLayout();
    LbEditOther = new QLineEdit(this);
    LbEditOther->setMinimumWidth(360);
    FrBtnDir = new QPushButton(QStringLiteral("参照"), this);
    row->addWidget(LbEditOther, 1);
    row->addWidget(FrBtnDir);
    layout->addLayout(row);
    auto *buttons = new QHBoxLayout();
    buttons->addStretch(1);
    FrBtnNext = new QPushButton(QStringLiteral("次へ"), this);
    FrBtnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    buttons->addWidget(FrBtnNext);
    buttons->addWidget(FrBtnCancel);
    layout->addLayout(buttons);

    connect(LbEditOther, &QLineEdit::textChanged, this, &TFormOldDataInport::updateNext);
    connect(FrBtnDir, &QPushButton::clicked, this, &TFormOldDataInport::FrBtnDirClick);
    connect(FrBtnNext, &QPushButton::clicked, this, &TFormOldDataInport::FrBtnNextClick);
    connect(FrBtnCancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
    updateNext();
}

void TFormOldDataInport::updateNext()
{
    FrBtnNext->setEnabled(!LbEditOther->text().isEmpty());
}

void TFormOldDataInport::FrBtnDirClick()
{
    const QString chosen =
        SelectFolderDialog(this, QStringLiteral("データフォルダを指定してください。"), LbEditOther->text());
    if (!chosen.isEmpty())
        LbEditOther->setText(chosen);
}

void TFormOldDataInport::FrBtnNextClick()
{
    const QString folder = LbEditOther->text().trimmed();
    if (folder.isEmpty())
        return;
    if (!QFileInfo(folder).isDir()) {
        MessageDlg(QStringLiteral("指定されたフォルダは存在しません。"), MsgDlgType::Error, mbOK);
        return;
    }
    const QString missing = Ver1Data::MissingFile(folder);
    if (!missing.isEmpty()) {
        MessageDlg(missing + QStringLiteral(" がありません。"), MsgDlgType::Error, mbOK);
        return;
    }
    m_folder = QDir::cleanPath(folder);
    done(mrOk);
}
