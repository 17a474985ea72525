#pragma once
// The per-user settings store: the program's hierarchy of sections and values kept in an INI file
// under the company key and the profile name. Integer, string and binary values; binary records
// are stored as byte arrays of their exact size and only read back into a buffer of that size.

#include <QByteArray>
#include <QString>
#include <memory>

class QSettings;

enum class ProfileRoot { CurrentUser, LocalMachine };

class CSettingsStore {
public:
    static CSettingsStore& Instance();

    // Company key and profile name; the store is reopened under them.
    void SetRegistryKey(const QString& company);
    void SetProfileName(const QString& profile);
    QString GetRegistryKey() const { return m_company; }
    QString GetProfileName() const { return m_profile; }
    QString GetFileName() const;

    // An empty section names the profile root.
    int GetProfileInt(const QString& section, const QString& entry, int def) const;
    bool WriteProfileInt(const QString& section, const QString& entry, int value);
    QString GetProfileString(const QString& section, const QString& entry,
                             const QString& def = {}) const;
    bool WriteProfileString(const QString& section, const QString& entry, const QString& value);
    bool HasProfileValue(const QString& section, const QString& entry) const;

    // Reads a binary record into buffer only when the stored record has exactly `size` bytes;
    // otherwise the buffer (the caller's defaults) is left untouched and false returned.
    bool GetProfileData(const QString& section, const QString& entry, void* buffer, int size,
                        ProfileRoot root = ProfileRoot::CurrentUser) const;
    bool WriteProfileData(const QString& section, const QString& entry, const void* buffer,
                          int size, ProfileRoot root = ProfileRoot::CurrentUser);
    QByteArray GetProfileBinary(const QString& section, const QString& entry) const;

    // Deletes a section with all its sub-sections.
    bool DeleteProfileSection(const QString& section, ProfileRoot root = ProfileRoot::CurrentUser);

    void Sync();

private:
    CSettingsStore();
    QSettings* Settings(ProfileRoot root) const;
    static QString Key(const QString& section, const QString& entry);

    QString m_company = QStringLiteral("Quillmere");
    QString m_profile = QStringLiteral("Brellin");
    mutable std::unique_ptr<QSettings> m_user;
    mutable std::unique_ptr<QSettings> m_machine;
};

// Short hands for the application's store.
inline CSettingsStore& Profile() { return CSettingsStore::Instance(); }
