#pragma once

// The windowless controls the scene is made of: each is a light child widget
// of its host, painted in the order it was given that host and taking the
// mouse over its own rectangle only. Mouse input that reaches a control never
// travels on to the host: a control nobody listens to simply swallows it.

#include <QColor>
#include <QImage>
#include <QWidget>

// Keys and buttons held during a mouse event; ssDouble marks the second press
// of a double-click.
enum TShiftFlag {
    ssShift = 0x01,
    ssAlt = 0x02,
    ssCtrl = 0x04,
    ssLeft = 0x08,
    ssRight = 0x10,
    ssMiddle = 0x20,
    ssDouble = 0x40,
};
Q_DECLARE_FLAGS(TShiftState, TShiftFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TShiftState)

// A windowless control that offers its mouse events to whoever connects.
// A left double-click arrives as dblClick followed by mouseDown with ssDouble;
// any other double-click as mouseDown with ssDouble alone.
class TControl : public QWidget
{
    Q_OBJECT
public:
    explicit TControl(QWidget *parent = nullptr);

    // Makes the control a child of host, on top of every earlier child.
    void SetParentControl(QWidget *host);

Q_SIGNALS:
    void mouseDown(QObject *sender, Qt::MouseButton button, TShiftState shift, int x, int y);
    void mouseMove(QObject *sender, TShiftState shift, int x, int y);
    void mouseUp(QObject *sender, Qt::MouseButton button, TShiftState shift, int x, int y);
    void dblClick(QObject *sender);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};

TShiftState ShiftStateOf(const QMouseEvent *event);

// Shows one picture. Auto-size keeps the control exactly the size of a
// non-empty picture; stretch scales the picture to the control; centre centres
// an unstretched picture; transparency leaves out the picture's transparent
// colour (white in a one-bit picture, otherwise the bottom-left pixel's colour).
// A picture with an alpha channel in use is drawn with its own alpha alone:
// no colour of it is left out.
class TPictureControl : public TControl
{
    Q_OBJECT
public:
    explicit TPictureControl(QWidget *parent = nullptr);

    // Loads a bitmap file; on failure the old picture stays and AppError is raised.
    void LoadFromFile(const QString &path);
    void SetPicture(const QImage &picture);
    const QImage &Picture() const { return FPicture; }

    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool on);
    void SetStretch(bool on);
    void SetCenter(bool on);
    void SetTransparent(bool on);
    bool Transparent() const { return FTransparent; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void prepare();

    QImage FPicture;
    QImage FDrawn; // FPicture as painted: transparent pixels cleared
    bool FAutoSize = false;
    bool FStretch = false;
    bool FCenter = false;
    bool FTransparent = false;
};

// A rectangle or circle drawn with a pen and a brush. In copy mode the outline
// takes the pen colour and the inside the brush colour; in invert mode every
// covered pixel, outline and inside alike, is inverted once.
class TShape : public TControl
{
    Q_OBJECT
public:
    enum ShapeType { Rectangle, Circle };
    enum PenMode { Copy, Invert };

    explicit TShape(QWidget *parent = nullptr);

    void SetShape(ShapeType shape);
    void SetPenMode(PenMode mode);
    PenMode penMode() const { return FPenMode; }
    void SetPenColor(const QColor &color);
    void SetBrushColor(const QColor &color);

    // The circle's bounding square in a control of the current size:
    // right and bottom edges exclusive.
    QRect CircleBounds() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ShapeType FShape = Rectangle;
    PenMode FPenMode = Copy;
    QColor FPenColor = Qt::black;
    QColor FBrushColor = Qt::white;
    int FPenWidth = 1;
};
