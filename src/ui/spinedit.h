#pragma once

#include <QSpinBox>

// A spin box whose erased text stays erased when the focus leaves it or the
// window is hidden or shown again: the
// text is what the program reads (nothing, or a sign alone, stands for the
// minimum), so it must not turn back into the last number unseen.
class TSpinEdit : public QSpinBox
{
    Q_OBJECT
public:
    using QSpinBox::QSpinBox;
    using QSpinBox::lineEdit; // its text changes, typed ones included

    // Nothing, or a sign alone: no number at all.
    bool IsErased() const;

    // From an erased field a step counts from the minimum, which the erased
    // field stands for.
    void stepBy(int steps) override;

protected:
    void focusOutEvent(QFocusEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void showEvent(QShowEvent *event) override;
};
