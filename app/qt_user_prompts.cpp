#include "app/qt_user_prompts.h"

#include <QMessageBox>

namespace tessolo {

namespace {

// Our texts end lines with LF CR or CR LF; a box wants plain LF.
QString BoxText(const std::string& text)
{
    QString result = QString::fromStdString(text);
    result.replace("\n\r", "\n").replace("\r\n", "\n").replace('\r', '\n');
    return result;
}

QMessageBox::Icon BoxIcon(PromptIcon icon)
{
    switch (icon) {
    case PromptIcon::Information: return QMessageBox::Information;
    case PromptIcon::Warning: return QMessageBox::Warning;
    case PromptIcon::Error: return QMessageBox::Critical;
    case PromptIcon::Question: return QMessageBox::Question;
    case PromptIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void QtUserPrompts::Show(const std::string& caption, const std::string& text, PromptIcon icon)
{
    QMessageBox box(BoxIcon(icon), QString::fromStdString(caption), BoxText(text),
                    QMessageBox::Ok, parent_);
    box.exec();
}

bool QtUserPrompts::AskYesNo(const std::string& caption, const std::string& text)
{
    QMessageBox box(QMessageBox::Question, QString::fromStdString(caption), BoxText(text),
                    QMessageBox::Yes | QMessageBox::No, parent_);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace tessolo
