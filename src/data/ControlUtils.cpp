#include "data/ControlUtils.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QDate>
#include <QWidget>

namespace {
bool canFocus(QWidget *control)
{
    return control && control->isEnabled() && control->isVisible() && control->focusPolicy() != Qt::NoFocus;
}

// Classes made from QComboBox keep their own selection rules.
bool isPlainCombo(const QComboBox *combo)
{
    return combo->metaObject() == &QComboBox::staticMetaObject;
}
} // namespace

bool TrySetFocus(QWidget *control)
{
    if (!control)
        return false;
    if (canFocus(control))
        control->setFocus(Qt::OtherFocusReason);
    return control->hasFocus();
}

bool SetFocusIfCan(QWidget *control)
{
    if (!canFocus(control))
        return false;
    control->setFocus(Qt::OtherFocusReason);
    return true;
}

void SelectComboNumber(QComboBox *combo, int number)
{
    if (!combo)
        return;
    const int index = combo->findData(number);
    if (index >= 0) {
        combo->setCurrentIndex(index);
        return;
    }
    combo->setCurrentIndex(-1);
    if (combo->isEditable())
        combo->setEditText(QString::number(number));
}

void SelectComboObject(QComboBox *combo, int value)
{
    if (!combo)
        return;
    const int index = combo->findData(value);
    if (index >= 0)
        combo->setCurrentIndex(index);
}

void SelectComboObjectText(QComboBox *combo, int value, const QString &text)
{
    SelectComboObject(combo, value);
    if (combo && combo->currentText() != text && combo->isEditable())
        combo->setEditText(text);
}

void FillYearCombo(QComboBox *combo, int before, int after, int year)
{
    if (!combo)
        return;
    const int thisYear = QDate::currentDate().year();
    combo->clear();
    for (int y = thisYear - before; y <= thisYear + after; ++y)
        combo->addItem(QString::number(y), y);
    if (isPlainCombo(combo))
        SelectComboNumber(combo, year == 0 ? thisYear : year);
}

void FillMonthCombo(QComboBox *combo, int simeTuki, int month)
{
    if (!combo)
        return;
    combo->clear();
    const int start = (simeTuki >= 1 && simeTuki <= 12) ? simeTuki % 12 + 1 : 1;
    for (int i = 0; i < 12; ++i) {
        const int m = (start - 1 + i) % 12 + 1;
        combo->addItem(QString::number(m), m);
    }
    if (isPlainCombo(combo))
        SelectComboObject(combo, month == 0 ? QDate::currentDate().month() : month);
}

void SetControlHelpContext(QWidget *control, int context)
{
    if (control)
        control->setProperty("helpContext", context);
}

int HelpContextAt(const QWidget *control)
{
    if (!control)
        return -1;
    for (const QWidget *w = control; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        const int context = w->property("helpContext").toInt();
        if (context > 0)
            return context;
    }
    return 0;
}

void MeasureMenuItem(const QAction *item, int &height, double factor)
{
    if (item && item->isSeparator())
        height = 3;
    else
        height = int(height * factor);
}

void DrawMenuItem(QPainter &painter, const QAction *item, const QRect &rect, bool selected,
                  const QColor &selectedColor, const QColor &normalColor, int iconSize)
{
    if (!item)
        return;
    const QPalette palette = QGuiApplication::palette();
    const QColor highlight = palette.color(QPalette::Light);
    const QColor shadow = palette.color(QPalette::Dark);
    const bool enabled = item->isEnabled();
    painter.save();
    painter.fillRect(rect, selected && enabled ? selectedColor : normalColor);
    if (item->isSeparator()) {
        // A 2-pixel etched band across the middle.
        const int y = rect.top() + rect.height() / 2 - 1;
        painter.setPen(shadow);
        painter.drawLine(rect.left(), y, rect.right(), y);
        painter.setPen(highlight);
        painter.drawLine(rect.left(), y + 1, rect.right(), y + 1);
        painter.restore();
        return;
    }
    if (selected && enabled) {
        painter.setPen(highlight);
        painter.drawLine(rect.topLeft(), rect.topRight());
        painter.drawLine(rect.topLeft(), rect.bottomLeft());
        painter.setPen(shadow);
        painter.drawLine(rect.bottomLeft(), rect.bottomRight());
        painter.drawLine(rect.topRight(), rect.bottomRight());
    }
    int textLeft = rect.left() + 5;
    if (!item->icon().isNull()) {
        const QPixmap pixmap = item->icon().pixmap(iconSize, enabled ? QIcon::Normal : QIcon::Disabled);
        painter.drawPixmap(rect.left() + 1, rect.top() + (rect.height() - iconSize) / 2, pixmap);
        textLeft = rect.left() + 1 + iconSize + 8;
    }
    QString caption = item->text();
    caption.remove(QLatin1Char('&'));
    const QRect textRect(textLeft, rect.top(), rect.right() - textLeft, rect.height());
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    if (enabled) {
        painter.setPen(selected ? QColor(Qt::blue) : QColor(Qt::black));
        painter.drawText(textRect, flags, caption);
    } else {
        painter.setPen(highlight);
        painter.drawText(textRect.translated(1, 1), flags, caption);
        painter.setPen(shadow);
        painter.drawText(textRect, flags, caption);
    }
    painter.restore();
}
