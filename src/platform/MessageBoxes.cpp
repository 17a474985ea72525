#include "platform/MessageBoxes.h"

#include "platform/ResourceModule.h"

#include <cstdio>

namespace {
std::shared_ptr<IMessageSink>& SinkSlot() {
    static std::shared_ptr<IMessageSink> sink = std::make_shared<CStderrMessageSink>();
    return sink;
}
QString& Caption() {
    static QString caption = QStringLiteral("Brellin");
    return caption;
}
int Box(const QString& text, MsgIcon icon, MsgButtons buttons, int def) {
    return ShowMessage({text, GetMessageCaption(), icon, buttons, def});
}
} // namespace

int CStderrMessageSink::Show(const MessageRequest& request) {
    QString line = request.text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
    return request.defaultAnswer;
}

int CRecordingMessageSink::Show(const MessageRequest& request) {
    shown.push_back(request);
    if (answers.empty())
        return request.defaultAnswer;
    const int a = answers.front();
    answers.pop_front();
    return a;
}

CMessagesHeldBack::CMessagesHeldBack() : m_previous(SinkSlot()) {
    SinkSlot() = std::make_shared<CRecordingMessageSink>();
}

CMessagesHeldBack::~CMessagesHeldBack() { SinkSlot() = m_previous; }

void SetMessageSink(std::shared_ptr<IMessageSink> sink) {
    SinkSlot() = sink ? std::move(sink) : std::make_shared<CStderrMessageSink>();
}
IMessageSink& GetMessageSink() { return *SinkSlot(); }
int ShowMessage(const MessageRequest& request) { return GetMessageSink().Show(request); }

void SetMessageCaption(const QString& caption) { Caption() = caption; }
QString GetMessageCaption() { return Caption(); }

void ErrorBox(const QString& text) { Box(text, MsgIcon::Exclamation, MsgButtons::Ok, IDOK); }
void ErrorBox(UINT id) { ErrorBox(LoadResString(id)); }
void WarningBox(const QString& text) { Box(text, MsgIcon::Exclamation, MsgButtons::Ok, IDOK); }
void WarningBox(UINT id) { Box(LoadResString(id), MsgIcon::Exclamation, MsgButtons::Ok, IDOK); }
void InformationBox(const QString& text) {
    Box(text, MsgIcon::Information, MsgButtons::Ok, IDOK);
}
void InformationBox(UINT id) { InformationBox(LoadResString(id)); }
int YesNoBox(const QString& text) { return Box(text, MsgIcon::Question, MsgButtons::YesNo, IDYES); }
int YesNoBox(UINT id) { return YesNoBox(LoadResString(id)); }
int QuestionBox(const QString& text) {
    return Box(text, MsgIcon::Question, MsgButtons::YesNoCancel, IDYES);
}
int QuestionBox(UINT id) { return QuestionBox(LoadResString(id)); }
void PlainMessageBox(const QString& text, const QString& caption) {
    ShowMessage({text, caption, MsgIcon::None, MsgButtons::Ok, IDOK});
}
