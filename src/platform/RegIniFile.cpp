#include "platform/RegIniFile.h"

#include "platform/Errors.h"
#include "units/NumberText.h"

#include <QByteArray>
#include <QHash>
#include <QSettings>
#include <QStringList>
#include <QVariant>
#include <bit>
#include <cmath>
#include <cstring>
#include <memory>

namespace corvel {

namespace {

QStringList pathParts(const std::string& keyName, const std::string& section) {
    QStringList parts;
    for (const std::string& piece : {keyName, section})
        for (const QString& part : QString::fromStdString(piece).split(QLatin1Char('\\')))
            if (!part.trimmed().isEmpty())
                parts << part.trimmed();
    return parts;
}

/// The existing name in `names` that equals `name` without regard to case, else `name`.
QString matching(const QStringList& names, const QString& name) {
    for (const QString& candidate : names)
        if (candidate.compare(name, Qt::CaseInsensitive) == 0)
            return candidate;
    return name;
}

/// Where a section of a key lives: the store (on Windows a registry key, elsewhere the settings
/// file of an organisation and application) and the groups in it.
struct StorePath {
    QString organisation; ///< on Windows the registry key's full name
    QString application;
    QStringList groups;
    bool valid = false;

    bool sameStore(const StorePath& other) const {
        return valid && other.valid && organisation == other.organisation &&
               application == other.application;
    }
};

StorePath storePath(const std::string& keyName, const std::string& section) {
    StorePath path;
#ifdef Q_OS_WIN
    const QStringList parts = pathParts(keyName, {});
    if (parts.isEmpty())
        return path;
    path.organisation = QStringLiteral("HKEY_CURRENT_USER\\") + parts.join(QLatin1Char('\\'));
    path.groups = pathParts({}, section);
#else
    QStringList parts = pathParts(keyName, section);
    if (!parts.isEmpty() &&
        parts.front().compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0)
        parts.removeFirst();
    if (parts.isEmpty())
        return path;
    path.organisation = parts.takeFirst();
    path.application = parts.isEmpty() ? QString() : parts.takeFirst();
    path.groups = parts;
#endif
    path.valid = true;
    return path;
}

std::unique_ptr<QSettings> openStore(const StorePath& path) {
    if (!path.valid)
        return nullptr;
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(path.organisation, QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       path.organisation, path.application);
#endif
}

} // namespace

/// The writes gathered between BeginUpdate and EndUpdate: one store, opened once, written once.
struct RegIniUpdate {
    StorePath path;
    std::unique_ptr<QSettings> settings;
    std::string firstName; ///< the first value written, named by a failure
    /// The names of the groups and of the values under each group reached, by the group's
    /// path: listing them walks every value of the store, which a start-up reading dozens of
    /// values would otherwise do once per value. Forgotten whenever the store changes.
    mutable QHash<QString, QStringList> groupsUnder;
    mutable QHash<QString, QStringList> keysUnder;

    const QStringList& childGroups() const {
        const QString group = settings->group();
        auto found = groupsUnder.find(group);
        if (found == groupsUnder.end())
            found = groupsUnder.insert(group, settings->childGroups());
        return *found;
    }
    const QStringList& childKeys() const {
        const QString group = settings->group();
        auto found = keysUnder.find(group);
        if (found == keysUnder.end())
            found = keysUnder.insert(group, settings->childKeys());
        return *found;
    }
    void changed() const {
        groupsUnder.clear();
        keysUnder.clear();
    }
};

namespace {

/// The store entered into the groups of the section (each matched without regard to case): the
/// one an update holds when the section lies in it, which the view leaves again at its end, or
/// else a store of its own.
class StoreView {
public:
    StoreView(const std::string& keyName, const std::string& section, const RegIniUpdate* update) {
        const StorePath path = storePath(keyName, section);
        if (update != nullptr && update->path.sameStore(path)) {
            settings_ = update->settings.get();
            update_ = update;
        } else {
            owned_ = openStore(path);
            settings_ = owned_.get();
        }
        if (settings_ == nullptr)
            return;
        for (const QString& group : path.groups) {
            settings_->beginGroup(
                matching(update_ ? update_->childGroups() : settings_->childGroups(), group));
            ++entered_;
        }
    }
    ~StoreView() {
        if (owned_ == nullptr && settings_ != nullptr)
            for (int i = 0; i < entered_; ++i)
                settings_->endGroup();
    }
    StoreView(const StoreView&) = delete;
    StoreView& operator=(const StoreView&) = delete;

    explicit operator bool() const { return settings_ != nullptr; }
    /// The names of the values in the section.
    QStringList childKeys() const {
        return update_ ? update_->childKeys() : settings_->childKeys();
    }
    /// The store was changed: the held store's names are listed afresh.
    void changed() {
        if (update_)
            update_->changed();
    }
    QSettings* operator->() const { return settings_; }
    /// Writes an own store to disk at once; a held one waits for the end of its update.
    bool flush() {
        if (owned_ == nullptr)
            return true;
        owned_->sync();
        return owned_->status() == QSettings::NoError;
    }

private:
    std::unique_ptr<QSettings> owned_;
    QSettings* settings_ = nullptr;
    const RegIniUpdate* update_ = nullptr; ///< the update whose store is held
    int entered_ = 0;
};

bool isText(const QVariant& value) {
    return value.typeId() == QMetaType::QString;
}

/// The stored value of `name`, matched without regard to case; invalid when absent.
QVariant readValue(const std::string& keyName, const RegIniUpdate* update,
                   const std::string& section, const std::string& name) {
    const StoreView store(keyName, section, update);
    if (!store)
        return {};
    const QString key = matching(store.childKeys(), QString::fromStdString(name));
    return store->value(key);
}

void writeValue(const std::string& keyName, RegIniUpdate* update, const std::string& section,
                const std::string& name, const QVariant& value) {
    StoreView store(keyName, section, update);
    if (store) {
        store->setValue(matching(store.childKeys(), QString::fromStdString(name)), value);
        store.changed();
        if (update != nullptr && update->firstName.empty())
            update->firstName = name;
        if (store.flush())
            return;
    }
    throw Exception("Failed to set data for '" + name + "'");
}

} // namespace

TRegIniFile::TRegIniFile(std::string keyName) : FileName_(std::move(keyName)) {}

TRegIniFile::~TRegIniFile() {
    try {
        EndUpdate();
    } catch (...) {
        // a destructor must not throw; what could not be written is lost
    }
}

TRegIniFile::TRegIniFile(TRegIniFile&&) noexcept = default;

void TRegIniFile::BeginUpdate() {
    if (update_)
        return;
    auto update = std::make_unique<RegIniUpdate>();
    update->path = storePath(FileName_, {});
    update->settings = openStore(update->path);
    if (update->settings)
        update_ = std::move(update);
}

void TRegIniFile::EndUpdate() {
    if (!update_)
        return;
    const std::unique_ptr<RegIniUpdate> update = std::move(update_);
    update->settings->sync();
    if (update->settings->status() != QSettings::NoError)
        throw Exception("Failed to set data for '" + update->firstName + "'");
}

std::string TRegIniFile::ReadString(const std::string& section, const std::string& name,
                                    const std::string& defaultValue) const {
    const QVariant value = readValue(FileName_, update_.get(), section, name);
    if (isText(value))
        return value.toString().toStdString();
    // A text holding a comma reads back from the settings file as a list of its parts.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", ")).toStdString();
    return defaultValue;
}

std::int32_t TRegIniFile::ReadInteger(const std::string& section, const std::string& name,
                                      std::int32_t defaultValue) const {
    const QVariant value = readValue(FileName_, update_.get(), section, name);
    switch (value.typeId()) {
    case QMetaType::Int:
        return value.toInt();
    case QMetaType::QString:
        try {
            return readInteger(value.toString().toStdString());
        } catch (const EConvertError&) {
            return defaultValue;
        }
    default:
        return defaultValue;
    }
}

bool TRegIniFile::ReadBool(const std::string& section, const std::string& name,
                           bool defaultValue) const {
    return ReadInteger(section, name, defaultValue ? 1 : 0) != 0;
}

double TRegIniFile::ReadFloat(const std::string& section, const std::string& name,
                              double defaultValue) const {
    const QVariant value = readValue(FileName_, update_.get(), section, name);
    if (value.typeId() != QMetaType::QByteArray)
        return defaultValue;
    const QByteArray bytes = value.toByteArray();
    if (bytes.size() != 8)
        return defaultValue;
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) // little-endian
        bits = bits << 8 | static_cast<unsigned char>(bytes[i]);
    const double result = std::bit_cast<double>(bits);
    return std::isfinite(result) ? result : defaultValue;
}

void TRegIniFile::WriteString(const std::string& section, const std::string& name,
                              const std::string& value) {
    writeValue(FileName_, update_.get(), section, name, QString::fromStdString(value));
}

void TRegIniFile::WriteInteger(const std::string& section, const std::string& name,
                               std::int32_t value) {
    writeValue(FileName_, update_.get(), section, name, static_cast<int>(value));
}

void TRegIniFile::WriteBool(const std::string& section, const std::string& name, bool value) {
    writeValue(FileName_, update_.get(), section, name, QString::fromLatin1(value ? "1" : "0"));
}

void TRegIniFile::WriteFloat(const std::string& section, const std::string& name, double value) {
    std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    QByteArray bytes(8, '\0');
    for (int i = 0; i < 8; ++i, bits >>= 8)
        bytes[i] = static_cast<char>(bits & 0xFF);
    writeValue(FileName_, update_.get(), section, name, bytes);
}

bool TRegIniFile::ValueExists(const std::string& section, const std::string& name) const {
    return readValue(FileName_, update_.get(), section, name).isValid();
}

std::vector<std::string> TRegIniFile::ReadSection(const std::string& section) const {
    std::vector<std::string> names;
    if (const StoreView store(FileName_, section, update_.get()); store)
        for (const QString& key : store.childKeys())
            names.push_back(key.toStdString());
    return names;
}

void TRegIniFile::DeleteKey(const std::string& section, const std::string& name) {
    StoreView store(FileName_, section, update_.get());
    if (store) {
        store->remove(matching(store.childKeys(), QString::fromStdString(name)));
        store.changed();
        store.flush();
    }
}

} // namespace corvel
