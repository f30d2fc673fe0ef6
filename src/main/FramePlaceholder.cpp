#include "main/FramePlaceholder.h"

#include <QLabel>
#include <QVBoxLayout>

TFramePlaceholder::TFramePlaceholder(int pageNo, const QString &caption, QWidget *parent)
    : QFrame(parent), m_pageNo(pageNo), m_label(new QLabel(caption, this))
{
    m_label->setObjectName(QStringLiteral("LbCaption"));
    m_label->setAlignment(Qt::AlignCenter);
    QFont f = m_label->font();
    f.setPointSize(f.pointSize() * 2);
    m_label->setFont(f);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
}

QString TFramePlaceholder::caption() const
{
    return m_label->text();
}
