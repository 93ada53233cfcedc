#include "ui/panel.h"

#include <QPainter>
#include <qdrawutil.h>

TPanel::TPanel(QWidget *parent) : QFrame(parent)
{
    setFrameShape(QFrame::NoFrame);
    setContentsMargins(3, 3, 3, 3);
}

void TPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    qDrawWinPanel(&painter, rect(), palette(), true);
    qDrawShadePanel(&painter, rect().adjusted(2, 2, -2, -2), palette(), false, 1);
}
