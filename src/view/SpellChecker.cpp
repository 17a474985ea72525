#include "view/SpellChecker.h"

#include "app/ProfileRecords.h"
#include "platform/DataPaths.h"
#include "platform/Guard.h"
#include "platform/SettingsStore.h"
#include "platform/WinTypes.h"
#include "view/SpellingDialog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <hunspell.hxx>
#include <iconv.h>
#include <map>

namespace {

const QString kLanguageEntry = QStringLiteral("SpellingLanguage");
const QString kFallbackLanguage = QStringLiteral("en_US");
// Hunspell gives no more than this many suggestions anyway; the dialog's list stays short.
constexpr int kMaxSuggestions = 15;
// The engine refuses longer input (its limit is in bytes of the dictionary's character set).
constexpr std::size_t kMaxWordBytes = 250;
// A personal word list is the user's own few words; anything larger is not one.
constexpr qint64 kMaxPersonalListBytes = 4 * 1024 * 1024;
// How many of a dictionary's first words are tried to see that the engine understood it.
constexpr int kProbeWords = 50;

// A code names files in the dictionary folders and the personal list: letters, digits, '_' and
// '-' only, so that a code from the settings cannot point anywhere else.
bool IsValidCode(const QString& code) {
    static const QRegularExpression re(QStringLiteral("^[A-Za-z][A-Za-z0-9_-]{0,63}$"));
    return re.match(code).hasMatch();
}

// Converts between two iconv character sets, refusing what the target cannot hold.
bool Convert(const char* to, const char* from, const QByteArray& in, QByteArray& out) {
    out.clear();
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1)) return false;
    QByteArray buffer(std::max<qsizetype>(16, in.size() * 4 + 4), '\0');
    char* inPtr = const_cast<char*>(in.constData());
    std::size_t inLeft = std::size_t(in.size());
    char* outPtr = buffer.data();
    std::size_t outLeft = std::size_t(buffer.size());
    bool ok = true;
    while (inLeft > 0) {
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != std::size_t(-1)) continue;
        if (errno != E2BIG) {
            ok = false;
            break;
        }
        const std::ptrdiff_t used = outPtr - buffer.data();
        buffer.resize(buffer.size() * 2);
        outPtr = buffer.data() + used;
        outLeft = std::size_t(buffer.size() - used);
    }
    iconv_close(cd);
    if (!ok) return false;
    buffer.resize(outPtr - buffer.data());
    out = buffer;
    return true;
}

// Hunspell's name of a character set ("ISO8859-1", "microsoft-cp1251") as iconv knows it.
QByteArray IconvName(const std::string& hunspellName) {
    QByteArray name = QByteArray::fromStdString(hunspellName).trimmed().toUpper();
    if (name.startsWith("MICROSOFT-CP")) return "CP" + name.mid(12);
    if (name.startsWith("ISO8859-")) return "ISO-8859-" + name.mid(8);
    if (name == "TIS620-2533") return "TIS-620";
    return name;
}

bool IsUtf8Name(const QByteArray& name) {
    return name == "UTF-8" || name == "UTF8";
}

bool StrictUtf8(const QByteArray& bytes, QString& out) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    out = decoder.decode(bytes);
    return !decoder.hasError();
}

// The first words of a dictionary file, as they are stored, for checking that the engine read
// it; false when the file does not begin with its word count.
bool ReadDictionaryHead(const QString& dicPath, std::vector<std::string>& words) {
    QFile file(dicPath);
    if (!file.open(QIODevice::ReadOnly)) return false;
    QByteArray count = file.readLine(64).trimmed();
    if (count.startsWith("\xEF\xBB\xBF")) count = count.mid(3);
    bool isNumber = false;
    if (count.toLong(&isNumber) <= 0 || !isNumber) return false;
    while (int(words.size()) < kProbeWords && !file.atEnd()) {
        QByteArray line = file.readLine(4096);
        // The flags follow a slash, morphological fields a tab or space.
        for (const char stop : {'/', '\t', ' '})
            if (const qsizetype at = line.indexOf(stop); at >= 0) line.truncate(at);
        line = line.trimmed();
        if (!line.isEmpty()) words.push_back(line.toStdString());
    }
    return true;
}

} // namespace

CSpellChecker::CSpellChecker() = default;
CSpellChecker::~CSpellChecker() = default;

QStringList CSpellChecker::DictionaryFolders() {
    DEF_TRY
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty()) dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return {dataHome + QStringLiteral("/hunspell"), QStringLiteral("/usr/local/share/hunspell"),
            QStringLiteral("/usr/share/hunspell")};
    DEF_CATCH
    return {};
}

std::vector<SpellDictionary> CSpellChecker::FindDictionaries() {
    std::vector<SpellDictionary> result;
    DEF_TRY
    std::map<QString, SpellDictionary> byCode;
    for (const QString& folder : DictionaryFolders()) {
        const QDir dir(folder);
        // System entries as well: a dangling link is a dictionary that cannot be read.
        const QStringList files = dir.entryList({QStringLiteral("*.dic"), QStringLiteral("*.aff")},
                                                QDir::Files | QDir::System);
        for (const QString& file : files) {
            const QString code = file.left(file.size() - 4);
            // Hyphenation patterns share the suffix but are no dictionaries.
            if (!IsValidCode(code) || code.startsWith(QStringLiteral("hyph_"))) continue;
            SpellDictionary d;
            d.code = code;
            d.name = LanguageName(code);
            d.affPath = dir.filePath(code + QStringLiteral(".aff"));
            d.dicPath = dir.filePath(code + QStringLiteral(".dic"));
            const QFileInfo aff(d.affPath), dic(d.dicPath);
            d.available = aff.isFile() && aff.isReadable() && dic.isFile() && dic.isReadable();
            const auto it = byCode.find(code);
            if (it == byCode.end() || (!it->second.available && d.available)) byCode[code] = d;
        }
    }
    for (auto& entry : byCode)
        result.push_back(std::move(entry.second));
    std::sort(result.begin(), result.end(), [](const SpellDictionary& a, const SpellDictionary& b) {
        const int c = QString::localeAwareCompare(a.name, b.name);
        return c != 0 ? c < 0 : a.code < b.code;
    });
    DEF_CATCH
    return result;
}

QString CSpellChecker::LanguageName(const QString& code) {
    DEF_TRY
    // "de_DE_frami", "en_US-large": a language, a territory, then the dictionary's own variant.
    const QStringList parts = code.split(QRegularExpression(QStringLiteral("[_-]")));
    if (parts.isEmpty()) return code;
    const bool hasTerritory =
        parts.size() > 1 && parts[1].size() == 2 && parts[1] == parts[1].toUpper();
    const QLocale locale(hasTerritory ? parts[0] + QLatin1Char('_') + parts[1] : parts[0]);
    if (locale.language() == QLocale::C ||
        locale.name().section(QLatin1Char('_'), 0, 0) != parts[0])
        return code;
    QString name = QLocale::languageToString(locale.language());
    if (hasTerritory && locale.territory() != QLocale::AnyTerritory)
        name += QStringLiteral(" (%1)").arg(QLocale::territoryToString(locale.territory()));
    const int variantAt = int(parts[0].size()) + (hasTerritory ? int(parts[1].size()) + 1 : 0);
    if (variantAt < code.size()) name += QStringLiteral(" [%1]").arg(code.mid(variantAt + 1));
    return name;
    DEF_CATCH
    return code;
}

QString CSpellChecker::GetLanguage() {
    DEF_TRY
    const QString stored = Profile().GetProfileString(kSectionSettings, kLanguageEntry);
    if (IsValidCode(stored)) return stored;
    const QString own = QLocale::system().name();
    for (const SpellDictionary& d : FindDictionaries())
        if (d.code == own && d.available) return own;
    DEF_CATCH
    return kFallbackLanguage;
}

void CSpellChecker::SetLanguage(const QString& code) {
    DEF_TRY
    if (IsValidCode(code)) Profile().WriteProfileString(kSectionSettings, kLanguageEntry, code);
    DEF_CATCH
}

QString CSpellChecker::PersonalListPath(const QString& code) {
    DEF_TRY
    if (!IsValidCode(code)) return {};
    return GetUserDataDir() + QStringLiteral("/spelling-%1.dic").arg(code);
    DEF_CATCH
    return {};
}

SpellInit CSpellChecker::Initialise(const QString& code, QString& reason) {
    DEF_TRY
    m_pEngine.reset();
    m_strCode = code;
    reason.clear();
    if (!IsValidCode(code)) return SpellInit::BadDictionary;
    const std::vector<SpellDictionary> all = FindDictionaries();
    const auto it = std::find_if(all.begin(), all.end(),
                                 [&code](const SpellDictionary& d) { return d.code == code; });
    if (it == all.end() || !it->available) return SpellInit::BadDictionary;
    // Hunspell reports nothing when it cannot make sense of a dictionary; it then finds every
    // word wrong. Its word count and a few of its words tell whether it was read.
    std::vector<std::string> probes;
    if (!ReadDictionaryHead(it->dicPath, probes) || probes.empty()) return SpellInit::BadDictionary;
    try {
        m_pEngine = std::make_unique<Hunspell>(QFile::encodeName(it->affPath).constData(),
                                               QFile::encodeName(it->dicPath).constData());
    } catch (const std::exception& e) {
        reason = QString::fromLocal8Bit(e.what());
        return SpellInit::Failed;
    }
    m_encoding = IconvName(m_pEngine->get_dict_encoding());
    m_bUtf8 = IsUtf8Name(m_encoding);
    if (!m_bUtf8) {
        // A character set iconv does not know cannot be given a single word.
        QByteArray probe;
        if (!Convert(m_encoding.constData(), "UTF-8", "a", probe) ||
            !Convert("UTF-8", m_encoding.constData(), probe, probe)) {
            m_pEngine.reset();
            return SpellInit::BadDictionary;
        }
    }
    const bool understood = std::any_of(probes.begin(), probes.end(), [this](const std::string& w) {
        return w.size() < kMaxWordBytes && m_pEngine->spell(w);
    });
    if (!understood) {
        m_pEngine.reset();
        return SpellInit::BadDictionary;
    }
    LoadPersonalList();
    return SpellInit::Ok;
    DEF_CATCH
    m_pEngine.reset();
    return SpellInit::Failed;
}

void CSpellChecker::LoadPersonalList() {
    DEF_TRY
    QFile file(PersonalListPath(m_strCode));
    if (file.size() > kMaxPersonalListBytes || !file.open(QIODevice::ReadOnly)) return;
    QString text;
    if (!StrictUtf8(file.readAll(), text)) return;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString word = line.trimmed();
        std::string bytes;
        if (word.isEmpty() || word.size() > kMaxWordLength || !ToDictionary(word, bytes)) continue;
        m_pEngine->add(bytes);
    }
    DEF_CATCH
}

void CSpellChecker::BeginCheck() {
    DEF_TRY
    m_ignored.clear();
    m_nDialogResult = 0;
    DEF_CATCH
}

void CSpellChecker::SetWord(const QString& word) {
    DEF_TRY
    m_strWord = word;
    m_strReplacement = word;
    m_nDialogResult = 0;
    DEF_CATCH
}

QString CSpellChecker::WordCore(const QString& word, int* prefix, int* suffix) {
    DEF_TRY
    int first = 0, last = int(word.size());
    while (first < last && !word[first].isLetterOrNumber())
        ++first;
    while (last > first && !word[last - 1].isLetterOrNumber())
        --last;
    if (prefix) *prefix = first;
    if (suffix) *suffix = int(word.size()) - last;
    return word.mid(first, last - first);
    DEF_CATCH
    if (prefix) *prefix = 0;
    if (suffix) *suffix = 0;
    return {};
}

SpellResult CSpellChecker::CheckWord() {
    DEF_TRY
    if (!m_pEngine) return SpellResult::Correct;
    const QString core = WordCore(m_strWord);
    // Numbers, dates and the like have no spelling.
    if (std::none_of(core.begin(), core.end(), [](QChar c) { return c.isLetter(); }))
        return SpellResult::Correct;
    if (core.size() > kMaxWordLength || m_ignored.count(core)) return SpellResult::Correct;
    std::string bytes;
    if (!ToDictionary(core, bytes)) return SpellResult::NotHeld;
    if (bytes.size() >= kMaxWordBytes) return SpellResult::Correct;
    return m_pEngine->spell(bytes) ? SpellResult::Correct : SpellResult::Misspelled;
    DEF_CATCH
    return SpellResult::Correct;
}

QStringList CSpellChecker::Suggest(const QString& word) {
    QStringList result;
    DEF_TRY
    int prefix = 0, suffix = 0;
    const QString core = WordCore(word, &prefix, &suffix);
    std::string bytes;
    if (!m_pEngine || core.isEmpty() || core.size() > kMaxWordLength ||
        !ToDictionary(core, bytes) || bytes.size() >= kMaxWordBytes)
        return result;
    for (const std::string& s : m_pEngine->suggest(bytes)) {
        QString text;
        if (!FromDictionary(s, text) || text.isEmpty()) continue;
        result << word.left(prefix) + text + word.right(suffix);
        if (result.size() >= kMaxSuggestions) break;
    }
    DEF_CATCH
    return result;
}

void CSpellChecker::IgnoreAll(const QString& word) {
    DEF_TRY
    const QString core = WordCore(word);
    if (!core.isEmpty()) m_ignored.insert(core);
    DEF_CATCH
}

bool CSpellChecker::AddToDictionary(const QString& word) {
    DEF_TRY
    const QString core = WordCore(word);
    std::string bytes;
    if (!m_pEngine || core.isEmpty() || core.size() > kMaxWordLength || !ToDictionary(core, bytes))
        return false;
    m_pEngine->add(bytes);
    QFile file(PersonalListPath(m_strCode));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
    return file.write(core.toUtf8() + '\n') > 0;
    DEF_CATCH
    return false;
}

void CSpellChecker::ShowDialog() {
    DEF_TRY
    m_nDialogResult = 0;
    m_strReplacement = m_strWord;
    CSpellingDialog dlg;
    dlg.m_strWord = m_strWord;
    dlg.m_suggestions = Suggest(m_strWord);
    dlg.m_strChangeTo = dlg.m_suggestions.isEmpty() ? m_strWord : dlg.m_suggestions.front();
    if (dlg.DoModal() != IDOK) return;
    switch (dlg.m_nAction) {
    case CSpellingDialog::SPELL_REPLACE:
        m_strReplacement = dlg.m_strChangeTo;
        break;
    case CSpellingDialog::SPELL_IGNORE:
        break;
    case CSpellingDialog::SPELL_IGNORE_ALL:
        IgnoreAll(m_strWord);
        break;
    case CSpellingDialog::SPELL_ADD:
        AddToDictionary(m_strWord);
        break;
    default:
        return;
    }
    m_nDialogResult = 1;
    DEF_CATCH
}

void CSpellChecker::EndCheck() {
    DEF_TRY
    m_ignored.clear();
    DEF_CATCH
}

bool CSpellChecker::ToDictionary(const QString& word, std::string& out) const {
    DEF_TRY
    const QByteArray utf8 = word.toUtf8();
    if (m_bUtf8) {
        out = utf8.toStdString();
        return true;
    }
    QByteArray bytes;
    if (!Convert(m_encoding.constData(), "UTF-8", utf8, bytes)) return false;
    out = bytes.toStdString();
    return true;
    DEF_CATCH
    return false;
}

bool CSpellChecker::FromDictionary(const std::string& bytes, QString& out) const {
    DEF_TRY
    const QByteArray in = QByteArray::fromStdString(bytes);
    if (m_bUtf8) return StrictUtf8(in, out);
    QByteArray utf8;
    if (!Convert("UTF-8", m_encoding.constData(), in, utf8)) return false;
    return StrictUtf8(utf8, out);
    DEF_CATCH
    return false;
}
