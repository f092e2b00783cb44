#include "app/qt_user_prompts.h"

#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>

#include <algorithm>

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

// Steps of the progress bar: a byte count does not fit its int range.
constexpr int kProgressSteps = 1000;

class QtProgress : public ProgressPrompt {
public:
    QtProgress(const std::string& caption, const std::string& text, std::function<void()> cancelled,
               QWidget* parent)
        : dialog_(new QProgressDialog(parent))
    {
        auto* label = new QLabel(BoxText(text));
        label->setTextFormat(Qt::PlainText);
        dialog_->setLabel(label);
        dialog_->setWindowTitle(QString::fromStdString(caption));
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->setMinimumDuration(0);
        dialog_->setRange(0, 0);
        QObject::connect(dialog_, &QProgressDialog::canceled, dialog_, std::move(cancelled));
        dialog_->show();
    }
    // Later, as the release may come from the dialog's own Cancel signal.
    ~QtProgress() override
    {
        if (dialog_) {
            dialog_->hide();
            dialog_->deleteLater();
        }
    }

    void SetProgress(std::int64_t done, std::int64_t total) override
    {
        if (!dialog_)
            return;
        if (total <= 0) {
            dialog_->setRange(0, 0);
            return;
        }
        dialog_->setRange(0, kProgressSteps);
        dialog_->setValue(static_cast<int>(std::min(done, total) * kProgressSteps / total));
    }

private:
    QPointer<QProgressDialog> dialog_;  // gone when its parent went first
};

}  // namespace

void QtUserPrompts::Show(const std::string& caption, const std::string& text, PromptIcon icon)
{
    QMessageBox box(BoxIcon(icon), QString::fromStdString(caption), BoxText(text),
                    QMessageBox::Ok, parent_);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool QtUserPrompts::AskYesNo(const std::string& caption, const std::string& text)
{
    QMessageBox box(QMessageBox::Question, QString::fromStdString(caption), BoxText(text),
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes;
}

std::unique_ptr<ProgressPrompt> QtUserPrompts::ShowProgress(const std::string& caption,
                                                            const std::string& text,
                                                            std::function<void()> cancelled)
{
    return std::make_unique<QtProgress>(caption, text, std::move(cancelled), parent_);
}

}  // namespace tessolo
