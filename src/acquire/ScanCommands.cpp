#include "acquire/ScanCommands.h"

#include "acquire/MultiTwain.h"
#include "acquire/ScanHost.h"
#include "app/CommandIds.h"
#include "platform/Guard.h"

CScanCommands::CScanCommands(IScanHost& host, QObject* parent)
    : QObject(parent), m_host(host), m_pScanner(new LMultiTwain(host, this)) {}

CScanCommands::~CScanCommands() {
    CloseSession();
}

bool CScanCommands::IsAcquiring() const {
    return m_pScanner->IsAcquiring();
}

void CScanCommands::CloseSession() {
    m_pScanner->CloseSession();
}

void CScanCommands::RegisterCommands(CCommandMap& map) {
    const auto idle = [this](CCmdUI& ui) { ui.Enable(!IsAcquiring()); };
    map.On(
        ID_FILE_SELECT_SOURCE, [this] { OnFileSelectSource(); }, idle);
    map.On(
        ID_FILE_ACQUIRE, [this] { OnAcquire(LMultiTwain::TargetNewDocument); }, idle);
    map.On(
        ID_FILE_ACQUIRE_DRAFT, [this] { OnAcquire(LMultiTwain::TargetPageImage); },
        [this](CCmdUI& ui) { ui.Enable(!IsAcquiring() && m_host.GetActiveDocument()); });
    map.On(
        ID_FILE_ACQUIRE_PICTURE, [this] { OnAcquire(LMultiTwain::TargetPicture); },
        [this](CCmdUI& ui) { ui.Enable(!IsAcquiring() && m_host.GetActiveView()); });
}

void CScanCommands::OnFileSelectSource() {
    DEF_TRY
    if (!IsAcquiring()) m_pScanner->Select();
    DEF_CATCH
}

void CScanCommands::OnAcquire(int target) {
    DEF_TRY
    if (IsAcquiring()) return;
    m_pScanner->Acquire(target);
    DEF_CATCH
}
