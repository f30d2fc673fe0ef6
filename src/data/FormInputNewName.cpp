#include "data/FormInputNewName.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/ui/Dialogs.h"

TDirEdit::TDirEdit(QWidget *parent) : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    Edit = new QLineEdit(this);
    BtnBrowse = new QToolButton(this);
    BtnBrowse->setText(QStringLiteral("…"));
    row->addWidget(Edit, 1);
    row->addWidget(BtnBrowse);
    connect(BtnBrowse, &QToolButton::clicked, this, &TDirEdit::browse);
}

QString TDirEdit::text() const
{
    return Edit->text();
}

void TDirEdit::setText(const QString &text)
{
    Edit->setText(text);
}

void TDirEdit::browse()
{
    const QString chosen = SelectFolderDialog(this, DialogTitle, Edit->text());
    if (!chosen.isEmpty())
        Edit->setText(chosen);
}

TFormInputNewName::TFormInputNewName(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormInputNewName"));
    setWindowTitle(QStringLiteral("新規家計簿名"));
    auto *layout = new QVBoxLayout(this);

    LbNewNameTitle = new QLabel(this);
    layout->addWidget(LbNewNameTitle);
    layout->addWidget(new QLabel(QStringLiteral("家計簿の名称"), this));
    EditKakeiboName = new QLineEdit(this);
    layout->addWidget(EditKakeiboName);
    layout->addSpacing(8);
    layout->addWidget(new QLabel(QStringLiteral("家計簿の場所を変更する場合のみ変更します。（フォルダ指定）"), this));
    DirEditEditKakeiboDir = new TDirEdit(this);
    layout->addWidget(DirEditEditKakeiboDir);
    layout->addWidget(new QLabel(QStringLiteral("指定されたフォルダの下に家計簿の名称のフォルダを作ります。"), this));

    auto *buttons = new QHBoxLayout();
    buttons->addStretch(1);
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);
    layout->addLayout(buttons);
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormInputNewName::setTitle(const QString &text, const QColor &color)
{
    LbNewNameTitle->setText(text);
    QPalette palette = LbNewNameTitle->palette();
    palette.setColor(QPalette::WindowText, color);
    LbNewNameTitle->setPalette(palette);
}
