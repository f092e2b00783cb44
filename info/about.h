// The about window: the program's name, version, description and copyright.
// Created once at start-up and hidden, not destroyed, when closed.
#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace tessolo {

class TAbout : public QDialog {
    Q_OBJECT
public:
    explicit TAbout(QWidget* parent = nullptr);

    // Shows the window, or brings it to the front when it is visible already
    // (then its text is left as it is).
    void ShowOrBringToFront();

    QPlainTextEdit* Memo;
    QPushButton* BitBtn1;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void BitBtn1Click();
    // Rebuilds the text from the version strings; whatever was typed into it
    // is dropped.
    void ShowAboutText();
};

}  // namespace tessolo
