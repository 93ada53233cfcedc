#pragma once

#include "ui/modalform.h"
#include "ui_frmHelp.h"

// The instructions window: shows "instructions.txt" from beside the
// executable, read afresh at every showing.
class THelpF : public TModalForm, public Ui::THelpF
{
    Q_OBJECT
public:
    explicit THelpF(QWidget *parent = nullptr);

protected:
    void PlaceFirstTime() override;
    void FormShow() override;
    void resizeEvent(QResizeEvent *event) override;
};

extern THelpF *HelpF;
