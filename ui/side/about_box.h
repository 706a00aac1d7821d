#pragma once
// The about box: the program's name, version, terms and a contact line, with an OK button that
// hides it again. Created hidden at start-up and shown without blocking the main window.
#include "ui/side/first_show.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace kelvo {

inline constexpr int AboutBoxClientWidth = 298;
inline constexpr int AboutBoxClientHeight = 213;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    TAboutBox();
    TAboutBox(const TAboutBox&) = delete;
    TAboutBox& operator=(const TAboutBox&) = delete;

    void OKButtonClick();

    QFrame* Panel1 = nullptr;
    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Copyright = nullptr;  // the three lines of distribution terms
    QLabel* Comments = nullptr;
    QPushButton* OKButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    CentreOnFirstShow centre_;
};

}  // namespace kelvo
