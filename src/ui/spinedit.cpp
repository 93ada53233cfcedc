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
