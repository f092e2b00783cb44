#include "info/about.h"

#include "info/about_text.h"
#include "info/version_strings.h"

#include <QPlainTextEdit>
#include <QShowEvent>
#include <QPushButton>

namespace tessolo {

TAbout::TAbout(QWidget* parent)
    : QDialog(parent), Memo(new QPlainTextEdit(this)), BitBtn1(new QPushButton("&Close", this))
{
    setWindowTitle("About");
    setFixedSize(517, 271);
    move(543, 303);
    QFont memoFont("Sans Serif");
    memoFont.setStyleHint(QFont::SansSerif);
    memoFont.setPixelSize(13);
    Memo->setFont(memoFont);
    Memo->setGeometry(10, 16, 497, 201);
    BitBtn1->setGeometry(216, 226, 99, 33);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &TAbout::BitBtn1Click);
}

void TAbout::ShowOrBringToFront()
{
    show();
    raise();
    activateWindow();
}

void TAbout::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TAbout::FormShow()
{
    ShowAboutText();
    BitBtn1->setFocus();
}

void TAbout::BitBtn1Click()
{
    hide();
}

void TAbout::ShowAboutText()
{
    Memo->clear();
    std::vector<std::string> versionStrings;
    ReadVersionStrings(versionStrings);
    for (const std::string& line : AboutTextLines(versionStrings))
        Memo->appendPlainText(QString::fromStdString(line));
}

}  // namespace tessolo
