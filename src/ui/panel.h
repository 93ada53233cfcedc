#pragma once

#include <QFrame>

// A panel whose border is a sunken edge two pixels wide (dark above and to
// the left, light below and to the right, each in two shades) with a raised
// bevel one pixel wide inside it (light above and to the left, dark below and
// to the right); its children lie inside both.
class TPanel : public QFrame
{
    Q_OBJECT
public:
    explicit TPanel(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
