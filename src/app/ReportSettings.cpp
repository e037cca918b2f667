#include "app/ReportSettings.h"

#include "platform/RegIniFile.h"
#include "shell/Folders.h"
#include "shell/Placement.h"

namespace corvel {

namespace {

TRegIniFile store() {
    return TRegIniFile(Shell().SettingsKeyName);
}

} // namespace

void RegistryReportSettings::restorePlacement(QWidget& form) {
    RestoreFormPlacement(form, false, true);
}

void RegistryReportSettings::savePlacement(const QWidget& form) {
    SaveFormPlacement(form);
}

int RegistryReportSettings::readInteger(const QString& section, const QString& name,
                                        int defaultValue) {
    return store().ReadInteger(section.toStdString(), name.toStdString(), defaultValue);
}

QString RegistryReportSettings::readString(const QString& section, const QString& name,
                                           const QString& defaultValue) {
    return QString::fromStdString(
        store().ReadString(section.toStdString(), name.toStdString(), defaultValue.toStdString()));
}

void RegistryReportSettings::writeInteger(const QString& section, const QString& name, int value) {
    store().WriteInteger(section.toStdString(), name.toStdString(), value);
}

void RegistryReportSettings::writeString(const QString& section, const QString& name,
                                         const QString& value) {
    store().WriteString(section.toStdString(), name.toStdString(), value.toStdString());
}

} // namespace corvel
