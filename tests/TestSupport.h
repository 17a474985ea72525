#pragma once
// What every test may use: the recording message sink and the scripted dialog service that the
// test main installs afresh before each test, and the folder of sample files.

#include "platform/DialogService.h"
#include "platform/MessageBoxes.h"

#include <QString>

CRecordingMessageSink& TestMessages();
CScriptedDialogService& TestDialogs();

// tests/data
QString TestDataDir();
// A fresh empty folder for this test (removed when the test program ends).
QString TestTempDir();
