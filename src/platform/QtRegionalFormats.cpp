#include "platform/QtRegionalFormats.h"

#include "platform/Errors.h"

#include <QDate>
#include <QLocale>
#include <QTime>
#include <cmath>

namespace corvel {

namespace {

const QDate kDayZero(1899, 12, 30);

QString dateFormat() {
    QString format = QLocale::system().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

QString timeFormat() {
    // the time zone ("t") cannot be read back into a time of day
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return format.trimmed();
}

QDate dateOf(TDateTime value) {
    const DateTimeParts p = DecodeDateTime(value);
    return QDate(p.year, p.month, p.day);
}

QTime timeOf(TDateTime value) {
    const DateTimeParts p = DecodeDateTime(value);
    return QTime(p.hour, p.minute, p.second, p.millisecond);
}

TDateTime fromQt(const QDate& date, const QTime& time) {
    return EncodeDateTime(date.year(), date.month(), date.day(), time.hour(), time.minute(),
                          time.second(), time.msec());
}

[[noreturn]] void badText(std::string_view text) {
    throw EConvertError("'" + std::string(text) + "' is not a valid date and time");
}

QString qText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).trimmed();
}

} // namespace

std::string QtRegionalFormats::shortDate(TDateTime value) const {
    return QLocale::system().toString(dateOf(value), dateFormat()).toStdString();
}

std::string QtRegionalFormats::longTime(TDateTime value) const {
    return QLocale::system().toString(timeOf(value), timeFormat()).toStdString();
}

TDateTime QtRegionalFormats::readDate(std::string_view text) const {
    const QDate date = QLocale::system().toDate(qText(text), dateFormat());
    if (!date.isValid())
        badText(text);
    return fromQt(date, QTime(0, 0));
}

TDateTime QtRegionalFormats::readTime(std::string_view text) const {
    const QTime time = QLocale::system().toTime(qText(text), timeFormat());
    if (!time.isValid())
        badText(text);
    return fromQt(kDayZero, time);
}

TDateTime QtRegionalFormats::readDateTime(std::string_view text) const {
    const QString value = qText(text);
    const QDate date = QLocale::system().toDate(value, dateFormat());
    if (date.isValid())
        return fromQt(date, QTime(0, 0));
    const QDateTime both =
        QLocale::system().toDateTime(value, dateFormat() + QLatin1Char(' ') + timeFormat());
    if (!both.isValid())
        badText(text);
    return fromQt(both.date(), both.time());
}

} // namespace corvel
