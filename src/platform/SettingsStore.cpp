#include "platform/SettingsStore.h"

#include "platform/Guard.h"

#include <QSettings>
#include <cstring>

CSettingsStore& CSettingsStore::Instance() {
    static CSettingsStore store;
    return store;
}

CSettingsStore::CSettingsStore() = default;

void CSettingsStore::SetRegistryKey(const QString& company) {
    m_company = company;
    m_user.reset();
    m_machine.reset();
}

void CSettingsStore::SetProfileName(const QString& profile) {
    m_profile = profile;
    m_user.reset();
    m_machine.reset();
}

QSettings* CSettingsStore::Settings(ProfileRoot root) const {
    auto& slot = root == ProfileRoot::CurrentUser ? m_user : m_machine;
    if (!slot)
        slot = std::make_unique<QSettings>(QSettings::IniFormat,
                                           root == ProfileRoot::CurrentUser ? QSettings::UserScope
                                                                            : QSettings::SystemScope,
                                           m_company, m_profile);
    return slot.get();
}

QString CSettingsStore::GetFileName() const { return Settings(ProfileRoot::CurrentUser)->fileName(); }

QString CSettingsStore::Key(const QString& section, const QString& entry) {
    QString s = section;
    s.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return s.isEmpty() ? entry : s + QLatin1Char('/') + entry;
}

int CSettingsStore::GetProfileInt(const QString& section, const QString& entry, int def) const {
    DEF_TRY
    const QVariant v = Settings(ProfileRoot::CurrentUser)->value(Key(section, entry));
    if (!v.isValid())
        return def;
    bool ok = false;
    const int n = v.toString().trimmed().toInt(&ok);
    return ok ? n : def;
    DEF_CATCH
    return def;
}

bool CSettingsStore::WriteProfileInt(const QString& section, const QString& entry, int value) {
    DEF_TRY
    Settings(ProfileRoot::CurrentUser)->setValue(Key(section, entry), value);
    return true;
    DEF_CATCH
    return false;
}

QString CSettingsStore::GetProfileString(const QString& section, const QString& entry,
                                         const QString& def) const {
    DEF_TRY
    const QVariant v = Settings(ProfileRoot::CurrentUser)->value(Key(section, entry));
    return v.isValid() ? v.toString() : def;
    DEF_CATCH
    return def;
}

bool CSettingsStore::WriteProfileString(const QString& section, const QString& entry,
                                        const QString& value) {
    DEF_TRY
    Settings(ProfileRoot::CurrentUser)->setValue(Key(section, entry), value);
    return true;
    DEF_CATCH
    return false;
}

bool CSettingsStore::HasProfileValue(const QString& section, const QString& entry) const {
    return Settings(ProfileRoot::CurrentUser)->contains(Key(section, entry));
}

QByteArray CSettingsStore::GetProfileBinary(const QString& section, const QString& entry) const {
    DEF_TRY
    const QVariant v = Settings(ProfileRoot::CurrentUser)->value(Key(section, entry));
    if (v.typeId() == QMetaType::QByteArray)
        return v.toByteArray();
    DEF_CATCH
    return {};
}

bool CSettingsStore::GetProfileData(const QString& section, const QString& entry, void* buffer,
                                    int size, ProfileRoot root) const {
    DEF_TRY
    if (!buffer || size <= 0)
        return false;
    const QVariant v = Settings(root)->value(Key(section, entry));
    if (v.typeId() != QMetaType::QByteArray)
        return false;
    const QByteArray bytes = v.toByteArray();
    if (bytes.size() != size)
        return false;
    std::memcpy(buffer, bytes.constData(), size_t(size));
    return true;
    DEF_CATCH
    return false;
}

bool CSettingsStore::WriteProfileData(const QString& section, const QString& entry,
                                      const void* buffer, int size, ProfileRoot root) {
    DEF_TRY
    if (!buffer || size < 0)
        return false;
    QSettings* s = Settings(root);
    if (!s->isWritable())
        return false;
    s->setValue(Key(section, entry), QByteArray(static_cast<const char*>(buffer), size));
    return true;
    DEF_CATCH
    return false;
}

bool CSettingsStore::DeleteProfileSection(const QString& section, ProfileRoot root) {
    DEF_TRY
    QSettings* s = Settings(root);
    QString group = section;
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (group.isEmpty() || !s->isWritable())
        return false;
    s->remove(group); // the group and every sub-group under it
    return true;
    DEF_CATCH
    return false;
}

void CSettingsStore::Sync() {
    if (m_user)
        m_user->sync();
    if (m_machine)
        m_machine->sync();
}
