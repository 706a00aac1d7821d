#include "ui/side/about_box.h"

#include "platform/guard.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

namespace kelvo {

namespace {

constexpr int IconWidth = 65;
constexpr int IconHeight = 70;

// The program's icon, drawn here: a straight key's knob above a line of dits and dahs.
QPixmap DrawProgramIcon() {
    QPixmap icon(IconWidth, IconHeight);
    icon.fill(QColor(0x1F, 0x3A, 0x5F));
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xC8, 0x9B, 0x3C));                      // brass lever and base
    p.drawRoundedRect(QRectF(8, 36, 49, 6), 3, 3);
    p.drawRect(QRectF(29, 42, 7, 6));
    p.drawRoundedRect(QRectF(14, 47, 37, 5), 2, 2);
    p.setBrush(QColor(0x20, 0x20, 0x20));                      // black knob
    p.drawEllipse(QRectF(42, 22, 16, 14));
    p.setBrush(QColor(0xF5, 0xD0, 0x4C));                      // "K": dah dit dah
    p.drawRoundedRect(QRectF(8, 8, 16, 6), 3, 3);
    p.drawEllipse(QRectF(28, 8, 6, 6));
    p.drawRoundedRect(QRectF(38, 8, 16, 6), 3, 3);
    p.setBrush(QColor(0x7F, 0xD0, 0x7F));                      // the learner's answer, below
    p.drawRoundedRect(QRectF(8, 58, 49, 5), 2, 2);
    return icon;
}

QLabel* Text(QWidget* parent, const char* name, const char* text, QRect where) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(where);
    return label;
}

}  // namespace

TAboutBox::TAboutBox() {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About  this version of Kelvo"));
    setModal(false);
    // A fixed dialog border: no resizing, no help button.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(AboutBoxClientWidth, AboutBoxClientHeight);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);  // bevelled
    Panel1->setGeometry(8, 8, 282, 161);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(8, 8, IconWidth, IconHeight);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(DrawProgramIcon());

    ProductName = Text(Panel1, "ProductName", "Morse teaching program", QRect(88, 12, 186, 18));
    QFont bold = ProductName->font();
    bold.setBold(true);
    bold.setPixelSize(13);
    ProductName->setFont(bold);
    Version = Text(Panel1, "Version", "Version 1.0, 11 December 2026", QRect(88, 34, 186, 16));
    Copyright = Text(Panel1, "Copyright",
                     "Kelvo is free software. You may copy it,\n"
                     "give it away and change it as you like.\n"
                     "It comes with no warranty of any kind.",
                     QRect(8, 84, 266, 44));
    Comments = Text(Panel1, "Comments",
                    "Questions, bug reports and practice tips are welcome: write to the author, KV0LO.",
                    QRect(8, 128, 266, 30));
    QFont commentsFont = Comments->font();
    commentsFont.setBold(true);
    Comments->setFont(commentsFont);
    Comments->setWordWrap(true);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(111, 178, 75, 25);
    OKButton->setDefault(true);  // Enter presses it
    connect(OKButton, &QPushButton::clicked, this, Guard([this] { OKButtonClick(); }));
}

void TAboutBox::showEvent(QShowEvent* event) {
    centre_.Shown(this);
    QDialog::showEvent(event);
}

void TAboutBox::OKButtonClick() { hide(); }

}  // namespace kelvo
