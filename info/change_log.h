// The change log window: the text of ChangeLog.txt, read afresh each time.
// Created for one modal showing and destroyed afterwards.
#pragma once

#include "platform/user_prompts.h"

#include <QDialog>

#include <string>

class QPlainTextEdit;
class QPushButton;

namespace tessolo {

class TChangeLog : public QDialog {
    Q_OBJECT
public:
    // Shows `changeLogFile`; a file that cannot be read is reported through
    // `prompts` and the window opens empty.
    TChangeLog(std::string changeLogFile, UserPrompts& prompts, QWidget* parent = nullptr);

    QPlainTextEdit* mMemo;
    QPushButton* btnClose;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void btnCloseClick();

    std::string changeLogFile_;
    UserPrompts& prompts_;
};

}  // namespace tessolo
