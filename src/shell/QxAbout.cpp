#include "shell/QxAbout.h"

#include "shell/QxAboutDlg.h"
#include "shell/URLLabel.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>

namespace corvel {

namespace {

QLabel* makeLabel(QWidget* parent, const char* name, const QRect& geometry, int pixelHeight) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    if (pixelHeight > 0) {
        QFont font = label->font();
        font.setPixelSize(pixelHeight);
        label->setFont(font);
    }
    return label;
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    // A dialog frame without a close box; it stays above the program's other windows.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowStaysOnTopHint);
    setFixedSize(284, 298);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(3, 3, 87, 174);
    Splash = new QLabel(panel);
    Splash->setObjectName(QStringLiteral("Splash"));
    Splash->setGeometry(panel->contentsRect());
    Splash->setAlignment(Qt::AlignCenter);

    DeveloperName = makeLabel(this, "DeveloperName", QRect(94, 3, 187, 26), 0);
    DeveloperName->setFont(ImpactFont(19));
    ProductName = makeLabel(this, "ProductName", QRect(94, 32, 187, 46), 0);
    Version = makeLabel(this, "Version", QRect(94, 81, 187, 20), 11);
    Description = makeLabel(this, "Description", QRect(94, 108, 183, 33), 0);
    Description->setWordWrap(true);
    CopyrightNotice = makeLabel(this, "CopyrightNotice", QRect(94, 152, 187, 25), 0);
    CopyrightNotice->setWordWrap(true);
    for (QLabel* small : {Description, CopyrightNotice}) {
        QFont font = small->font();
        font.setPointSize(8);
        small->setFont(font);
    }

    DetailMemo = new QPlainTextEdit(this);
    DetailMemo->setObjectName(QStringLiteral("DetailMemo"));
    DetailMemo->setGeometry(3, 181, 277, 48);
    DetailMemo->setReadOnly(true);
    DetailMemo->setEnabled(false);
    DetailMemo->setFrameStyle(QFrame::NoFrame);

    LEMail = makeLabel(this, "LEMail", QRect(10, 237, 50, 16), 0);
    LEMail->setText(QStringLiteral("E-Mail"));
    LEMail->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    EMailLabel = new TURLLabel(this);
    EMailLabel->setObjectName(QStringLiteral("EMailLabel"));
    EMailLabel->setGeometry(64, 237, 216, 16);
    LWeb = makeLabel(this, "LWeb", QRect(4, 255, 56, 16), 0);
    LWeb->setText(QStringLiteral("WebSite"));
    LWeb->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    WebLabel = new TURLLabel(this);
    WebLabel->setObjectName(QStringLiteral("WebLabel"));
    WebLabel->setGeometry(64, 255, 216, 16);

    CBSplash = new QCheckBox(QStringLiteral("Show this form on program bootup"), this);
    CBSplash->setObjectName(QStringLiteral("CBSplash"));
    CBSplash->setGeometry(10, 276, 214, 18);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(227, 264, 50, 26);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);

    // Where the desktop's font is wider than the one the box was laid out for, the box grows
    // so that the check box's text is not cut off by the OK button.
    const int extra = std::max(0, CBSplash->x() + CBSplash->sizeHint().width() + 4 - OKBtn->x());
    if (extra > 0) {
        setFixedSize(284 + extra, 298);
        CBSplash->resize(CBSplash->sizeHint().width(), CBSplash->height());
        OKBtn->move(OKBtn->x() + extra, OKBtn->y());
        DetailMemo->resize(DetailMemo->width() + extra, DetailMemo->height());
    }

    Comment = new QStatusBar(this);
    Comment->setObjectName(QStringLiteral("Comment"));
    Comment->setSizeGripEnabled(false);
    Comment->setGeometry(0, 298 - 20, width(), 20);

    // The box opens with OK focused, so Enter closes it: left to itself, the first link in
    // the tab order would take the focus and Enter would open the mail address instead.
    OKBtn->setFocus();
}

} // namespace corvel
