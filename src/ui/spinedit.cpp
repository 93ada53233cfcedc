#include "ui/spinedit.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QLineEdit>

bool TSpinEdit::IsErased() const
{
    const QString text = cleanText().trimmed();
    return text.isEmpty() || text == QLatin1String("-") || text == QLatin1String("+");
}

void TSpinEdit::focusOutEvent(QFocusEvent *event)
{
    if (IsErased()) {
        // The line edit loses its caret; the spin box keeps the text.
        QCoreApplication::sendEvent(lineEdit(), event);
        QWidget::focusOutEvent(event);
        return;
    }
    QSpinBox::focusOutEvent(event);
}

void TSpinEdit::hideEvent(QHideEvent *event)
{
    if (IsErased()) {
        QWidget::hideEvent(event);
        return;
    }
    QSpinBox::hideEvent(event);
}

void TSpinEdit::showEvent(QShowEvent *event)
{
    if (IsErased()) {
        QWidget::showEvent(event);
        return;
    }
    QSpinBox::showEvent(event);
}

void TSpinEdit::stepBy(int steps)
{
    if (!IsErased()) {
        QSpinBox::stepBy(steps);
        return;
    }
    // Typed in, so that the text, the value and whoever follows the text
    // all see the new number.
    const int value = qBound(minimum(), minimum() + steps, maximum());
    lineEdit()->setText(QString::number(value));
    setValue(value);
}
