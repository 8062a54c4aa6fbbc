#include "storage/pl_storage_errors.h"

std::string PlFormatDiagnostic(const char* operation, const char* condition,
                               std::initializer_list<PlDiagVariable> variables)
{
    std::string text = std::string(operation) + "\nCondition: " + condition + "\nVariables:\n";
    for (const PlDiagVariable& v : variables)
        text += std::string(v.name) + "==" + std::to_string(v.value) + "\n";
    return text;
}
