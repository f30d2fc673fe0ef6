#include "management/imexport/FormProgress.h"

#include <algorithm>
#include <cmath>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TFormProgress::TFormProgress(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("お持ちください！！"));
    auto *v = new QVBoxLayout(this);
    LbCaption = new QLabel(this);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setRange(0, 100);
    BtnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    v->addWidget(LbCaption);
    v->addWidget(ProgressBar1);
    v->addWidget(BtnCancel, 0, Qt::AlignHCenter);
    connect(BtnCancel, &QPushButton::clicked, this, &TFormProgress::BtnCancelClick);
    resize(320, 120);
}

void TFormProgress::Start(const QString &caption, int maximum)
{
    m_maximum = maximum;
    m_percent = 0;
    m_canceled = false;
    LbCaption->setText(caption);
    BtnCancel->setText(QStringLiteral("キャンセル"));
    BtnCancel->setEnabled(true);
    ProgressBar1->setValue(0);
    show();
    QCoreApplication::processEvents();
}

bool TFormProgress::Step(int i)
{
    if (m_maximum > 0) {
        const int percent = int(double(i) / m_maximum * 100.0 + 0.5);
        if (percent != m_percent) {
            m_percent = percent;
            ProgressBar1->setValue(std::clamp(percent, 0, 100));
            // Only here, once per percent, so that a long file is not slowed by painting.
            QCoreApplication::processEvents();
        }
    }
    return m_canceled;
}

void TFormProgress::Finish()
{
    hide();
}

void TFormProgress::BtnCancelClick()
{
    m_canceled = true;
    BtnCancel->setText(QStringLiteral("停止"));
    BtnCancel->setEnabled(false);
}

void TFormProgress::closeEvent(QCloseEvent *event)
{
    m_canceled = true;
    event->ignore();
}
