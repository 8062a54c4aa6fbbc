#include "ui/main/pl_qt_date_time_format.h"

#include <QDate>
#include <QLocale>
#include <QTime>

std::string PlQtDateTimeFormat::ShortDate(const PlLocalTime& time) const
{
    return QLocale().toString(QDate(time.year, time.month, time.day), QLocale::ShortFormat).toStdString();
}

std::string PlQtDateTimeFormat::Time24(const PlLocalTime& time) const
{
    return QTime(time.hour, time.minute, time.second).toString(QStringLiteral("HH:mm:ss")).toStdString();
}
