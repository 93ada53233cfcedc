#pragma once

#include <QObject>

class QButtonGroup;
class QGroupBox;

// Gives a group box of radio buttons an item index, as a radio group has:
// -1 (nothing selected) or the index of the selected button, in the order
// the buttons appear in the box. Clicked is emitted whenever an item becomes
// selected, by the user or by SetItemIndex, and never for -1. The group is
// one tab stop: Tab enters it at the selected button (the first when none
// is), and the arrow keys move the selection within it.
class TRadioGroup : public QObject
{
    Q_OBJECT
public:
    explicit TRadioGroup(QGroupBox *box);

    int ItemIndex() const;
    // Clamped to -1 .. count - 1; nothing happens when it is already selected.
    void SetItemIndex(int index);

Q_SIGNALS:
    void Clicked();

private:
    void UpdateTabStop();
    QButtonGroup *FButtons;
};
