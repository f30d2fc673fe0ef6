#include "management/DataOpCodePanel.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

QButtonGroup *BuildConvertTargets(QWidget *box, QBoxLayout *row, const QStringList &texts, QObject *owner)
{
    auto *group = new QButtonGroup(owner);
    for (int i = 0; i < texts.size(); ++i) {
        auto *b = new QPushButton(texts.at(i), box);
        b->setCheckable(true);
        group->addButton(b, i);
        row->addWidget(b);
    }
    group->button(0)->setChecked(true);
    row->addStretch();
    return group;
}

TCodeConvertPanel::TCodeConvertPanel(QWidget *parent) : QWidget(parent)
{
    auto *kl = new QGridLayout(this);
    auto *motoBox = new QGroupBox(u"変換元の指定"_s, this);
    auto *ml = new QVBoxLayout(motoBox);
    ByCode = new QRadioButton(u"コード指定"_s, motoBox);
    All = new QRadioButton(u"すべて"_s, motoBox);
    ByCode->setChecked(true);
    ml->addWidget(ByCode);
    ml->addWidget(All);
    kl->addWidget(motoBox, 0, 0, 2, 1);
    MotoLabel = new QLabel(this);
    AtoLabel = new QLabel(this);
    MotoCode = new QLineEdit(u"0"_s, this);
    AtoCode = new QLineEdit(u"0"_s, this);
    MotoName = new QLineEdit(this);
    AtoName = new QLineEdit(this);
    for (QLineEdit *e : {MotoCode, AtoCode}) {
        e->setValidator(new QIntValidator(0, 99999999, e));
        e->setAttribute(Qt::WA_InputMethodEnabled, false);
        e->setMaximumWidth(100);
    }
    for (QLineEdit *e : {MotoName, AtoName})
        e->setReadOnly(true);
    kl->addWidget(MotoLabel, 0, 1);
    kl->addWidget(MotoCode, 0, 2);
    kl->addWidget(MotoName, 0, 3);
    kl->addWidget(AtoLabel, 1, 1);
    kl->addWidget(AtoCode, 1, 2);
    kl->addWidget(AtoName, 1, 3);
    Execute = new QPushButton(u"実行"_s, this);
    kl->addWidget(Execute, 0, 4, 2, 1);
    kl->setColumnStretch(5, 1);

    connect(MotoCode, &QLineEdit::returnPressed, AtoCode, qOverload<>(&QWidget::setFocus));
    connect(ByCode, &QRadioButton::toggled, this, [this](bool on) {
        MotoLabel->setEnabled(on);
        MotoCode->setEnabled(on);
        MotoName->setEnabled(on);
    });
}

void TCodeConvertPanel::ClearCodes()
{
    MotoCode->setText(u"0"_s);
    AtoCode->setText(u"0"_s);
    MotoName->clear();
    AtoName->clear();
}

void TCodeConvertPanel::ShowKind(const QString &what)
{
    MotoLabel->setText(u"変換元　"_s + what);
    AtoLabel->setText(u"変換後　"_s + what);
    ClearCodes();
}

void TCodeConvertPanel::SettleCodes(const std::function<QString(int)> &nameOf)
{
    for (auto [edit, name] : {std::pair{MotoCode, MotoName}, std::pair{AtoCode, AtoName}}) {
        int code = edit->text().toInt();
        if (code <= 100 && code != 0)
            code = 0;
        edit->setText(QString::number(code));
        name->setText(nameOf(code));
    }
}
