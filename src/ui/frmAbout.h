#pragma once

#include "ui/modalform.h"
#include "ui_frmAbout.h"

#include <QPointer>
#include <QScreen>

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
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Where the frame's top-left goes for the box to stand centred.
    QPoint CentredFrame(const QMargins &frame) const;
    QPointer<QScreen> FScreen;
    bool FAwaitingFrame = false;      // centred by the inner size so far
    QObject *FDoubleClicked = nullptr; // the link whose next release is ignored

    void FormCreate();
    void lbURLClick();
    void lbEmailClick();
};

extern TAboutBox *AboutBox;
