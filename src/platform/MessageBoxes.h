#pragma once
// Every message the program shows to the user goes through one replaceable sink: a message box in
// the windowed program, one line on stderr in batch mode, a recorder with scripted answers in tests.

#include "platform/WinTypes.h"

#include <QString>
#include <deque>
#include <memory>
#include <vector>

enum class MsgIcon { None, Exclamation, Information, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };

struct MessageRequest {
    QString text;
    QString caption;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    int defaultAnswer = IDOK; // what a sink that cannot ask answers
};

class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    virtual int Show(const MessageRequest& request) = 0;
};

// Batch mode and the default: one line on stderr, the default answer.
class CStderrMessageSink : public IMessageSink {
public:
    int Show(const MessageRequest& request) override;
};

// Tests: records what was shown and answers from a script (the default answer when it runs out).
class CRecordingMessageSink : public IMessageSink {
public:
    int Show(const MessageRequest& request) override;
    std::vector<MessageRequest> shown;
    std::deque<int> answers;
};

void SetMessageSink(std::shared_ptr<IMessageSink> sink);

// Holds back every message while it lives: the caller tells the outcome in its own words.
class CMessagesHeldBack {
public:
    CMessagesHeldBack();
    ~CMessagesHeldBack();
    CMessagesHeldBack(const CMessagesHeldBack&) = delete;
    CMessagesHeldBack& operator=(const CMessagesHeldBack&) = delete;

private:
    std::shared_ptr<IMessageSink> m_previous;
};
IMessageSink& GetMessageSink();
int ShowMessage(const MessageRequest& request);

// The caption of every message box: the application's display name.
void SetMessageCaption(const QString& caption);
QString GetMessageCaption();

void ErrorBox(const QString& text);
void ErrorBox(UINT stringId);
void WarningBox(const QString& text);
void WarningBox(UINT stringId);
void InformationBox(const QString& text);
void InformationBox(UINT stringId);
int YesNoBox(const QString& text);
int YesNoBox(UINT stringId);
int QuestionBox(const QString& text);
int QuestionBox(UINT stringId);
// A plain box with the given caption (possibly empty) and an OK button.
void PlainMessageBox(const QString& text, const QString& caption);
