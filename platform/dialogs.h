#pragma once
// The open-file and font dialogs as small objects with Execute(). Tests install a canned answer
// so that no dialog window opens.
#include <QFont>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace kelvo {

class TOpenDialog {
public:
    QString InitialDir = QStringLiteral(".");
    QString FileName;
    // True when the user chose a file (in FileName).
    bool Execute(QWidget* parent);

    using Answer = std::function<std::optional<QString>(const TOpenDialog&)>;
    static void SetTestAnswer(Answer answer);  // empty: the real dialog
};

class TFontDialog {
public:
    QFont Font;
    // True when the user confirmed a font (in Font).
    bool Execute(QWidget* parent);

    using Answer = std::function<std::optional<QFont>(const TFontDialog&)>;
    static void SetTestAnswer(Answer answer);  // empty: the real dialog
};

}  // namespace kelvo
