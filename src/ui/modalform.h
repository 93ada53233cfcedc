#pragma once

#include <QDialog>

class QAbstractButton;

// A window shown modally and only hidden between showings. Its modal result
// is 1 from a button given ModalResultOk (and from Esc when that button is the
// cancel button) and 2 when it is closed from its title bar.
class TModalForm : public QDialog
{
    Q_OBJECT
public:
    enum ModalResult { mrNone = 0, mrOk = 1, mrCancel = 2 };

    explicit TModalForm(QWidget *parent = nullptr);

    // Clicking the button closes the form with result 1.
    void SetOkButton(QAbstractButton *button);
    // Esc presses this button; without one Esc does nothing.
    void SetCancelButton(QAbstractButton *button);

    void reject() override; // the title bar's close: result 2

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

    // Called before the first showing only, to place the window.
    virtual void PlaceFirstTime() {}
    // Called before every showing.
    virtual void FormShow() {}

private:
    QAbstractButton *FCancelButton = nullptr;
    bool FPlaced = false;
};
