#pragma once
// The notepad: a resizable window in which the learner keeps notes on progress, saved on
// command to "Notepad.txt" in the current directory. Created hidden at start-up and kept until
// the program ends; closing it only hides it, so the text survives.
#include "ui/side/first_show.h"

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace kelvo {

inline constexpr const char* NotepadFileName = "Notepad.txt";
inline constexpr int NotepadDesignWidth = 317;
inline constexpr int NotepadDesignHeight = 327;

class TForm2 : public QWidget {
    Q_OBJECT
public:
    TForm2();
    TForm2(const TForm2&) = delete;
    TForm2& operator=(const TForm2&) = delete;

    // "Save Notepad": writes the notes to the notepad file, replacing it whole.
    void Button1Click();

    // Replaces the notes by the notepad file's content. False when there is no such file (the
    // notes are then left alone); throws "Cannot open file %s" when it exists but cannot be read.
    bool ReloadNotes();

    QPushButton* Button1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    CentreOnFirstShow centre_;
};

}  // namespace kelvo
