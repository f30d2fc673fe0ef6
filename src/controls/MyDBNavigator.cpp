#include "controls/MyDBNavigator.h"

#include <QHBoxLayout>
#include <QToolButton>

#include "platform/db/Abort.h"
#include "platform/db/DataSet.h"
#include "platform/db/DataSource.h"

TMyDBNavigator::TMyDBNavigator(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto button = [this, layout](const char *name, const QString &glyph, const QString &hint, int kind) {
        auto *b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setText(glyph);
        b->setToolTip(hint);
        b->setFocusPolicy(Qt::NoFocus);
        b->setMinimumSize(20, 18);
        // Prior and next repeat while held, as a scroll does.
        b->setAutoRepeat(kind == 1 || kind == 2);
        connect(b, &QToolButton::clicked, this, [this, kind] { move(kind); });
        layout->addWidget(b);
        return b;
    };
    BtnFirst = button("BtnFirst", QStringLiteral("|◀"), QStringLiteral("最初のレコード"), 0);
    BtnPrior = button("BtnPrior", QStringLiteral("◀"), QStringLiteral("前のレコード"), 1);
    BtnNext = button("BtnNext", QStringLiteral("▶"), QStringLiteral("次のレコード"), 2);
    BtnLast = button("BtnLast", QStringLiteral("▶|"), QStringLiteral("最後のレコード"), 3);
    updateButtons();
}

void TMyDBNavigator::setDataSource(DataSource *source)
{
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (m_source) {
        connect(m_source, &DataSource::dataChange, this, [this] { updateButtons(); });
        connect(m_source, &DataSource::stateChange, this, [this] { updateButtons(); });
    }
    updateButtons();
}

void TMyDBNavigator::updateButtons()
{
    DataSet *ds = m_source ? m_source->dataSet() : nullptr;
    const bool active = isEnabled() && ds && ds->isActive();
    const bool back = active && !ds->bof();
    const bool on = active && !ds->eof();
    BtnFirst->setEnabled(back);
    BtnPrior->setEnabled(back);
    BtnNext->setEnabled(on);
    BtnLast->setEnabled(on);
}

void TMyDBNavigator::move(int kind)
{
    DataSet *ds = m_source ? m_source->dataSet() : nullptr;
    if (!ds || !ds->isActive())
        return;
    if (beforeMove && !beforeMove())
        return;
    try {
        switch (kind) {
        case 0: ds->first(); break;
        case 1: ds->prior(); break;
        case 2: ds->next(); break;
        default: ds->last(); break;
        }
    } catch (const EAbort &) {
        // The line's own refusal was shown; the data set stays where it was.
    }
    updateButtons();
}
