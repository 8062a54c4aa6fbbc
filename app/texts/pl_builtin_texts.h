#pragma once
// The built-in English interface texts, by id and language-file section.
// The ids are the contract between the program and its language files.

#include "app/texts/pl_text_table.h"

#include <cstddef>

extern const PlTextRow kPlBuiltinTexts[];
extern const std::size_t kPlBuiltinTextCount;
