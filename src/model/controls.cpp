#include "model/controls.h"

#include "platform/bitmap.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

// ---------------------------------------------------------------- TControl

TControl::TControl(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_NoMousePropagation);
}

void TControl::SetParentControl(QWidget *host)
{
    setParent(host);
    show();
}

TShiftState ShiftStateOf(const QMouseEvent *event)
{
    TShiftState shift;
    const Qt::KeyboardModifiers keys = event->modifiers();
    if (keys & Qt::ShiftModifier)
        shift |= ssShift;
    if (keys & Qt::AltModifier)
        shift |= ssAlt;
    if (keys & Qt::ControlModifier)
        shift |= ssCtrl;
    const Qt::MouseButtons buttons = event->buttons();
    if (buttons & Qt::LeftButton)
        shift |= ssLeft;
    if (buttons & Qt::RightButton)
        shift |= ssRight;
    if (buttons & Qt::MiddleButton)
        shift |= ssMiddle;
    return shift;
}

void TControl::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    Q_EMIT mouseDown(this, event->button(), ShiftStateOf(event), p.x(), p.y());
    event->accept();
}

void TControl::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    Q_EMIT mouseMove(this, ShiftStateOf(event), p.x(), p.y());
    event->accept();
}

void TControl::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    Q_EMIT mouseUp(this, event->button(), ShiftStateOf(event), p.x(), p.y());
    event->accept();
}

void TControl::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        Q_EMIT dblClick(this);
    const QPoint p = event->position().toPoint();
    Q_EMIT mouseDown(this, event->button(), ShiftStateOf(event) | ssDouble, p.x(), p.y());
    event->accept();
}

// ---------------------------------------------------------- TPictureControl

TPictureControl::TPictureControl(QWidget *parent) : TControl(parent) {}

void TPictureControl::LoadFromFile(const QString &path)
{
    SetPicture(LoadBitmapFile(path));
}

void TPictureControl::SetPicture(const QImage &picture)
{
    FPicture = picture;
    prepare();
    if (FAutoSize && FPicture.width() > 0 && FPicture.height() > 0)
        resize(FPicture.size());
    update();
}

void TPictureControl::SetAutoSize(bool on)
{
    FAutoSize = on;
    if (FAutoSize && !FPicture.isNull())
        resize(FPicture.size());
}

void TPictureControl::SetStretch(bool on)
{
    FStretch = on;
    update();
}

void TPictureControl::SetCenter(bool on)
{
    FCenter = on;
    update();
}

void TPictureControl::SetTransparent(bool on)
{
    FTransparent = on;
    prepare();
    update();
}

void TPictureControl::prepare()
{
    if (FPicture.isNull()) {
        FDrawn = QImage();
        return;
    }
    QImage drawn = FPicture.convertToFormat(QImage::Format_ARGB32);
    // A picture whose alpha is in use (an image editor's export with a
    // transparent background) is drawn with its own alpha and no key colour:
    // its bottom-left pixel may well be part of what it shows.
    if (FTransparent && !FPicture.hasAlphaChannel()) {
        const QRgb key = FPicture.depth() == 1 ? qRgb(255, 255, 255) : drawn.pixel(0, drawn.height() - 1);
        for (int y = 0; y < drawn.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(drawn.scanLine(y));
            for (int x = 0; x < drawn.width(); ++x)
                if (line[x] == key)
                    line[x] = 0;
        }
    }
    // Premultiplied: the format the painter blends fastest.
    FDrawn = drawn.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void TPictureControl::paintEvent(QPaintEvent *)
{
    if (FDrawn.isNull())
        return;
    QPainter painter(this);
    if (FStretch) {
        painter.drawImage(rect(), FDrawn);
    } else if (FCenter) {
        painter.drawImage((width() - FDrawn.width()) / 2, (height() - FDrawn.height()) / 2, FDrawn);
    } else {
        painter.drawImage(0, 0, FDrawn);
    }
}

// ------------------------------------------------------------------ TShape

TShape::TShape(QWidget *parent) : TControl(parent) {}

void TShape::SetShape(ShapeType shape)
{
    FShape = shape;
    update();
}

void TShape::SetPenMode(PenMode mode)
{
    FPenMode = mode;
    update();
}

void TShape::SetPenColor(const QColor &color)
{
    FPenColor = color;
    update();
}

void TShape::SetBrushColor(const QColor &color)
{
    FBrushColor = color;
    update();
}

QRect TShape::CircleBounds() const
{
    const int p = FPenWidth;
    int usableW = width() - p + 1;
    int usableH = height() - p + 1;
    if (p == 0) {
        --usableW;
        --usableH;
    }
    const int d = qMin(usableW, usableH);
    return QRect(p / 2 + (usableW - d) / 2, p / 2 + (usableH - d) / 2, d, d);
}

void TShape::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (FShape == Rectangle) {
        const QRect r = rect();
        painter.fillRect(r, FBrushColor);
        painter.setPen(QPen(FPenColor, FPenWidth));
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        return;
    }

    const QRect square = CircleBounds();
    if (square.width() <= 0)
        return;
    QPainterPath circle;
    circle.addEllipse(QRectF(square));
    if (FPenMode == Invert) {
        // Inside and outline are one figure, so each covered pixel flips once.
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        painter.fillPath(circle, Qt::black);
        return;
    }
    painter.fillPath(circle, FBrushColor);
    painter.setPen(QPen(FPenColor, FPenWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(square.adjusted(0, 0, -1, -1));
}
