#include "info/change_log.h"

#include "platform/error.h"
#include "platform/files.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>

namespace tessolo {

TChangeLog::TChangeLog(std::string changeLogFile, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent),
      mMemo(new QPlainTextEdit(this)),
      btnClose(new QPushButton("&Close", this)),
      changeLogFile_(std::move(changeLogFile)),
      prompts_(prompts)
{
    setWindowTitle("ChangeLog");
    resize(578, 522);
    move(373, 207);
    QFont font("Sans Serif");
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    setFont(font);
    mMemo->setGeometry(16, 16, 537, 417);
    mMemo->setReadOnly(true);
    mMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    mMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    btnClose->setGeometry(464, 448, 75, 25);
    btnClose->setDefault(true);
    connect(btnClose, &QPushButton::clicked, this, &TChangeLog::btnCloseClick);
}

void TChangeLog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TChangeLog::FormShow()
{
    mMemo->clear();
    try {
        Bytes text = ReadFileBytes(changeLogFile_);
        mMemo->setPlainText(QString::fromUtf8(reinterpret_cast<const char*>(text.data()),
                                              static_cast<qsizetype>(text.size())));
    } catch (const Error& error) {
        prompts_.Show(kErrorReportCaption, ErrorReportText(error.what()), PromptIcon::Error);
    }
}

void TChangeLog::btnCloseClick()
{
    accept();
}

}  // namespace tessolo
