#include "ui/side/about_box.h"

#include "platform/guard.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

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

QLabel* Text(QWidget* parent, const char* name, const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

}  // namespace

TAboutBox::TAboutBox() {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About  this version of Kelvo"));
    setModal(false);
    // A fixed dialog border: the size cannot be changed.
    setWindowFlags(windowFlags() | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(AboutBoxClientWidth, AboutBoxClientHeight);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);  // bevelled
    Panel1->setGeometry(8, 8, 282, 162);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setFixedSize(IconWidth, IconHeight);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(DrawProgramIcon());
    ProgramIcon->setAccessibleName(QStringLiteral("Program icon"));

    ProductName = Text(Panel1, "ProductName", "Morse teaching program");
    QFont bold = ProductName->font();
    bold.setBold(true);
    bold.setPixelSize(13);
    ProductName->setFont(bold);
    Version = Text(Panel1, "Version", "Version 1.0 (2026-12-11)");
    Copyright = Text(Panel1, "Copyright",
                     "Free software under the\n"
                     "GNU GPL, version 3 or later.\n"
                     "It comes with no warranty.");
    // The author's call sign has a prefix no country issues, so it names no real station; the
    // tips it points to ship with the program.
    Comments = Text(Panel1, "Comments", "Kelvo by Q0KVL. Practice tips and answers: menu Help, Help File.");
    QFont commentsFont = Comments->font();
    commentsFont.setBold(true);
    Comments->setFont(commentsFont);
    Comments->setWordWrap(true);

    // The icon on the left, name, version and terms beside it, the contact line across the foot.
    auto* grid = new QGridLayout(Panel1);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(4);
    auto* beside = new QVBoxLayout;
    beside->setSpacing(2);
    beside->addWidget(ProductName);
    beside->addWidget(Version);
    beside->addSpacing(4);
    beside->addWidget(Copyright);
    beside->addStretch(1);
    grid->addWidget(ProgramIcon, 0, 0, Qt::AlignTop);
    grid->addLayout(beside, 0, 1);
    grid->addWidget(Comments, 1, 0, 1, 2);
    grid->setRowStretch(1, 1);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(111, 179, 75, 26);
    OKButton->setDefault(true);  // Enter presses it
    connect(OKButton, &QPushButton::clicked, this, Guard([this] { OKButtonClick(); }));
}

void TAboutBox::showEvent(QShowEvent* event) {
    centre_.Shown(this);
    QDialog::showEvent(event);
}

void TAboutBox::OKButtonClick() { hide(); }

}  // namespace kelvo
