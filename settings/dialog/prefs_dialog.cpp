#include "settings/dialog/prefs_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tessolo {

TPrefs::TPrefs(UserPrompts&, QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Preferences");
    auto* pages = new QTabWidget;
    pages->addTab(new QLabel("Stand-in page"), "General");
    auto* close = new QPushButton("&Close");
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    auto* column = new QVBoxLayout(this);
    column->addWidget(pages);
    column->addWidget(close);
}

void TPrefs::ShowPrefs()
{
    show();
    raise();
    activateWindow();
}

}  // namespace tessolo
