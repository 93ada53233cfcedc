#pragma once

#include "ui/modalform.h"
#include "ui_frmAbout.h"

// The about box: the program's name, version, description, credits and two
// links. Shown modally from the main window and before the program ends.
class TAboutBox : public TModalForm, public Ui::TAboutBox
{
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);

    // The credits: four lines joined by single carriage returns.
    static QString CreditsText();

protected:
    void PlaceFirstTime() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void lbURLClick();
    void lbEmailClick();
};

extern TAboutBox *AboutBox;
