#pragma once
// The failures of the storage engine. PlDatabaseErr carries a diagnostic text
// of the form "Class::Operation()\nCondition: <test>\nVariables:\n<name>==<value>\n";
// PlFileDatabaseError (an index beyond the file, a failed seek, a short read)
// carries an empty text. PlOutOfBoundsErr reports a byte-buffer position past
// the end and carries nothing.

#include <initializer_list>
#include <string>
#include <utility>

#include "platform/pl_error.h"

class PlDatabaseErr : public PlError {
public:
    explicit PlDatabaseErr(std::string message = {}) : message_(std::move(message)) {}
    const std::string& Message() const { return message_; }

private:
    std::string message_;
};

class PlFileDatabaseError : public PlDatabaseErr {
public:
    PlFileDatabaseError() = default;
};

class PlOutOfBoundsErr {};

// One "name==value" line of a diagnostic text.
struct PlDiagVariable {
    const char* name;
    long long value;
};

// Builds a diagnostic text in the storage engine's pattern.
std::string PlFormatDiagnostic(const char* operation, const char* condition,
                               std::initializer_list<PlDiagVariable> variables);
