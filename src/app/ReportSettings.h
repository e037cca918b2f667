#pragma once

// The report window's placement and font kept in the per-user settings store.

#include "report/QxReporter.h"

namespace corvel {

class RegistryReportSettings : public ReportFormSettings {
public:
    void restorePlacement(QWidget& form) override;
    void savePlacement(const QWidget& form) override;
    int readInteger(const QString& section, const QString& name, int defaultValue) override;
    QString readString(const QString& section, const QString& name,
                       const QString& defaultValue) override;
    void writeInteger(const QString& section, const QString& name, int value) override;
    void writeString(const QString& section, const QString& name, const QString& value) override;
};

} // namespace corvel
