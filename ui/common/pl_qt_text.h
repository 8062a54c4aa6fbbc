#pragma once
// Text between the core (UTF-8 std::string) and Qt (QString), and the
// interface texts by id.

#include <QString>
#include <cstdint>
#include <string>

#include "app/texts/pl_text_table.h"

inline QString Qs(const std::string& text)
{
    return QString::fromStdString(text);
}

inline std::string Ss(const QString& text)
{
    return text.toStdString();
}

// The interface text of `id`, from the process-wide text table.
inline QString Tx(std::int32_t id)
{
    return Qs(PlTextTable::Instance().Text(id));
}

// Text with CR LF line ends as a widget shows it (one LF per line break).
inline QString QsLines(const std::string& text)
{
    QString result = Qs(text);
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return result;
}
