#include "platform/RegIniFile.h"

#include "platform/Errors.h"
#include "units/NumberText.h"

#include <QByteArray>
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

/// The store behind `keyName`, entered into the groups of the key's further parts and the
/// section (each matched without regard to case). Null when the key names no store.
std::unique_ptr<QSettings> openStore(const std::string& keyName, const std::string& section) {
    QStringList parts = pathParts(keyName, section);
    std::unique_ptr<QSettings> settings;
#ifdef Q_OS_WIN
    if (parts.isEmpty())
        return nullptr;
    settings = std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\") +
                                               parts.join(QLatin1Char('\\')),
                                           QSettings::NativeFormat);
    parts.clear();
#else
    if (!parts.isEmpty() &&
        parts.front().compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0)
        parts.removeFirst();
    if (parts.isEmpty())
        return nullptr;
    const QString organisation = parts.takeFirst();
    const QString application = parts.isEmpty() ? QString() : parts.takeFirst();
    settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                           organisation, application);
#endif
    for (const QString& group : parts)
        settings->beginGroup(matching(settings->childGroups(), group));
    return settings;
}

/// The stored value of `name`, matched without regard to case; invalid when absent.
QVariant readValue(const std::string& keyName, const std::string& section,
                   const std::string& name) {
    const std::unique_ptr<QSettings> settings = openStore(keyName, section);
    if (!settings)
        return {};
    const QString key = matching(settings->childKeys(), QString::fromStdString(name));
    return settings->value(key);
}

void writeValue(const std::string& keyName, const std::string& section, const std::string& name,
                const QVariant& value) {
    const std::unique_ptr<QSettings> settings = openStore(keyName, section);
    if (settings) {
        settings->setValue(matching(settings->childKeys(), QString::fromStdString(name)), value);
        settings->sync();
        if (settings->status() == QSettings::NoError)
            return;
    }
    throw Exception("Failed to set data for '" + name + "'");
}

bool isText(const QVariant& value) {
    return value.typeId() == QMetaType::QString;
}

} // namespace

std::string TRegIniFile::ReadString(const std::string& section, const std::string& name,
                                    const std::string& defaultValue) const {
    const QVariant value = readValue(FileName_, section, name);
    if (isText(value))
        return value.toString().toStdString();
    // A text holding a comma reads back from the settings file as a list of its parts.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", ")).toStdString();
    return defaultValue;
}

std::int32_t TRegIniFile::ReadInteger(const std::string& section, const std::string& name,
                                      std::int32_t defaultValue) const {
    const QVariant value = readValue(FileName_, section, name);
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
    const QVariant value = readValue(FileName_, section, name);
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
    writeValue(FileName_, section, name, QString::fromStdString(value));
}

void TRegIniFile::WriteInteger(const std::string& section, const std::string& name,
                               std::int32_t value) {
    writeValue(FileName_, section, name, static_cast<int>(value));
}

void TRegIniFile::WriteBool(const std::string& section, const std::string& name, bool value) {
    writeValue(FileName_, section, name, QString::fromLatin1(value ? "1" : "0"));
}

void TRegIniFile::WriteFloat(const std::string& section, const std::string& name, double value) {
    std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    QByteArray bytes(8, '\0');
    for (int i = 0; i < 8; ++i, bits >>= 8)
        bytes[i] = static_cast<char>(bits & 0xFF);
    writeValue(FileName_, section, name, bytes);
}

bool TRegIniFile::ValueExists(const std::string& section, const std::string& name) const {
    return readValue(FileName_, section, name).isValid();
}

std::vector<std::string> TRegIniFile::ReadSection(const std::string& section) const {
    std::vector<std::string> names;
    if (const std::unique_ptr<QSettings> settings = openStore(FileName_, section))
        for (const QString& key : settings->childKeys())
            names.push_back(key.toStdString());
    return names;
}

void TRegIniFile::DeleteKey(const std::string& section, const std::string& name) {
    if (const std::unique_ptr<QSettings> settings = openStore(FileName_, section)) {
        settings->remove(matching(settings->childKeys(), QString::fromStdString(name)));
        settings->sync();
    }
}

} // namespace corvel
